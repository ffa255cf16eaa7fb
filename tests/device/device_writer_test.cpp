// The writer thread: whole sequences in order, results back on the owning thread, and an end
// that sends what was asked for.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "base/dispatcher.h"
#include "device/device_writer.h"

namespace kz::device {
namespace {

struct SlowLink {
  std::mutex mutex;
  std::vector<std::string> sent;
  std::atomic<int> refuse{-1};
  std::thread::id thread;

  DeviceLink Link() {
    return {[this](std::string_view text) {
              std::lock_guard lock(mutex);
              thread = std::this_thread::get_id();
              sent.emplace_back(text);
              return refuse < 0 || static_cast<int>(sent.size()) <= refuse;
            },
            [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }};
  }
};

WriteSequence Sequence(const std::string& name, int commands) {
  WriteSequence sequence;
  for (int i = 0; i < commands; ++i) {
    sequence.Send(name + std::to_string(i));
    sequence.Pause(2);
  }
  return sequence;
}

TEST(DeviceWriter, SendsSequencesWholeAndInOrderAndAnswersOnTheOwningThread) {
  QueueDispatcher dispatcher;
  SlowLink link;
  std::vector<std::string> results;
  {
    DeviceWriter writer(link.Link(), dispatcher);
    for (const char* name : {"a", "b", "c"})
      writer.Submit(Sequence(name, 3), [&, name](bool ok) {
        EXPECT_TRUE(dispatcher.OnOwnerThread());
        results.push_back(std::string(name) + (ok ? " ok" : " refused"));
      });
    EXPECT_TRUE(results.empty()) << "results wait for the owning thread";
    ASSERT_TRUE(dispatcher.RunUntil([&] { return results.size() == 3; }, std::chrono::seconds(5)));
    EXPECT_TRUE(writer.Idle());
  }
  EXPECT_EQ(link.sent, (std::vector<std::string>{"a0", "a1", "a2", "b0", "b1", "b2", "c0", "c1", "c2"}));
  EXPECT_EQ(results, (std::vector<std::string>{"a ok", "b ok", "c ok"}));
  EXPECT_NE(link.thread, std::this_thread::get_id());
}

TEST(DeviceWriter, ARefusalEndsItsSequenceOnlyAndTheEndSendsWhatIsQueued) {
  QueueDispatcher dispatcher;
  SlowLink link;
  link.refuse = 1;
  std::vector<bool> results;
  DeviceWriter writer(link.Link(), dispatcher);
  writer.Submit(Sequence("a", 3), [&](bool ok) { results.push_back(ok); });
  ASSERT_TRUE(dispatcher.RunUntil([&] { return results.size() == 1; }, std::chrono::seconds(5)));
  EXPECT_FALSE(results[0]);
  link.refuse = -1;
  for (int i = 0; i < 5; ++i) writer.Submit(Sequence("q", 2), [&](bool ok) { results.push_back(ok); });
  writer.Stop();
  EXPECT_EQ(link.sent.size(), 2u + 10u) << "the queue is sent before the writer ends";
  bool late = true;
  writer.Submit(Sequence("x", 1), [&](bool ok) { late = ok; });
  dispatcher.RunPending();
  EXPECT_FALSE(late) << "after the end a sequence is refused";
  EXPECT_EQ(link.sent.size(), 12u);
}

TEST(Dispatcher, TasksRunOnTheOwnerInTheOrderPosted) {
  QueueDispatcher dispatcher;
  std::vector<int> order;
  std::thread worker([&] {
    EXPECT_FALSE(dispatcher.OnOwnerThread());
    for (int i = 0; i < 100; ++i) dispatcher.Post([&order, i] { order.push_back(i); });
  });
  worker.join();
  EXPECT_EQ(dispatcher.RunPending(), 100);
  ASSERT_EQ(order.size(), 100u);
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
}

}  // namespace
}  // namespace kz::device
