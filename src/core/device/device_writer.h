#pragma once
// The one thread that talks to the mouse for the window: it takes whole write sequences, sends
// them in the order they came, one sequence at a time (the mouse must not see two interleaved),
// waits the pauses the mouse needs, and posts each result back to the owning thread. The window
// thread therefore never sleeps or blocks on the mouse.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "base/dispatcher.h"
#include "device/write_sequence.h"

namespace kz::device {

class DeviceWriter : public SequenceWriter {
 public:
  DeviceWriter(DeviceLink link, Dispatcher& dispatcher);
  // Sends what is still queued (the user asked for it and the store already holds it), then ends.
  ~DeviceWriter() override;
  DeviceWriter(const DeviceWriter&) = delete;
  DeviceWriter& operator=(const DeviceWriter&) = delete;

  // `done` runs on the dispatcher's thread; a sequence submitted after Stop is refused (false).
  void Submit(WriteSequence sequence, Done done) override;
  // True when nothing is queued or being sent.
  bool Idle() const;
  // Finishes the queue, then ends the thread; results of the last sequences are not posted, as
  // whoever waited for them is going away.
  void Stop();

 private:
  struct Job {
    WriteSequence sequence;
    Done done;
  };
  void Run();

  DeviceLink link_;
  Dispatcher& dispatcher_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> queue_;
  bool busy_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace kz::device
