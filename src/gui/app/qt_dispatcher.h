#pragma once
// The dispatcher to the window thread: a task posted from any thread runs on the window thread's
// event loop, in the order posted.
#include <QObject>
#include <memory>

#include "base/dispatcher.h"

namespace kzgui {

class QtDispatcher : public kz::Dispatcher {
 public:
  QtDispatcher() : receiver_(std::make_unique<QObject>()) {}
  void Post(std::function<void()> task) override {
    QMetaObject::invokeMethod(receiver_.get(), std::move(task), Qt::QueuedConnection);
  }

 private:
  // Lives on the thread that made the dispatcher, which is where the tasks run.
  std::unique_ptr<QObject> receiver_;
};

}  // namespace kzgui
