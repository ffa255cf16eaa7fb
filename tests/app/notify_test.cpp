// Messages raised on a worker thread reach the handler only on the dispatcher's thread.
#include <gtest/gtest.h>

#include <thread>

#include "base/dispatcher.h"
#include "base/notify.h"

namespace {

TEST(ShowMessage, AWorkerThreadsMessageIsHandedToTheOwningThread) {
  kz::QueueDispatcher dispatcher;
  std::vector<std::pair<std::string, bool>> shown;  // text, on the owning thread
  kz::SetMessageHandler([&](const std::string& text) { shown.emplace_back(text, dispatcher.OnOwnerThread()); },
                        &dispatcher);
  kz::ShowMessage("from the window thread");
  std::thread worker([] { kz::ShowMessage("from a worker"); });
  worker.join();
  ASSERT_EQ(shown.size(), 1u) << "the worker's message waits for the owning thread";
  dispatcher.RunPending();
  kz::SetMessageHandler(nullptr);
  EXPECT_EQ(shown, (std::vector<std::pair<std::string, bool>>{{"from the window thread", true}, {"from a worker", true}}));
}

}  // namespace
