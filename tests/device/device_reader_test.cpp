#include "device/device_reader.h"

#include "device/status_report.h"
#include "device_fixture.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace kz::device {
namespace {

// Collects what the reader hands over, and lets a test wait for it without timing assumptions.
class Collector {
 public:
  DeviceReader::StatusCallback OnStatus() {
    return [this](const StatusReport& report) {
      std::lock_guard lock(mutex_);
      reports_.push_back(report);
      changed_.notify_all();
    };
  }
  DeviceReader::EndCallback OnEnd() {
    return [this] {
      std::lock_guard lock(mutex_);
      ++ends_;
      changed_.notify_all();
    };
  }
  bool WaitForReports(size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return reports_.size() >= count; });
  }
  bool WaitForEnds(int count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return ends_ >= count; });
  }
  std::vector<StatusReport> Reports() {
    std::lock_guard lock(mutex_);
    return reports_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<StatusReport> reports_;
  int ends_ = 0;
};

using DeviceReaderTest = kztest::SimMouseFixture;

TEST_F(DeviceReaderTest, AsksForTheStateAndDeliversEachStatusReport) {
  Collector collector;
  DeviceReader reader(collector.OnStatus(), collector.OnEnd());
  ASSERT_TRUE(reader.Start());
  EXPECT_FALSE(reader.Start());  // one at a time
  ASSERT_TRUE(collector.WaitForReports(1));
  EXPECT_TRUE(reader.IsRunning());
  EXPECT_EQ(collector.Reports()[0].FirmwareText(), "0.3");
  EXPECT_EQ(mouse_->Trace().front(), "03 F9");

  // A report that does not start with 0x03 is only logged; the next status report still arrives.
  mouse_->PushReport({0x01, 0x02, 0xAB});
  std::vector<unsigned char> report(25, 0);
  report[0] = 0x03;
  report[22] = 0x12;
  mouse_->PushReport(report);
  ASSERT_TRUE(collector.WaitForReports(2));
  EXPECT_EQ(collector.Reports()[1].FirmwareText(), "1.2");
  EXPECT_EQ(collector.Reports().size(), 2u);

  reader.Stop();
  reader.Join();
  EXPECT_FALSE(reader.IsRunning());
  EXPECT_FALSE(IsConnectionOpen());

  std::vector<std::string> lines = LogLines();
  const std::vector<std::string> expected = {
      "send 03f9",
      "wait for hid",
      "hid ret bytes:25",
      "03 f9 00 01 20 40 80 a4 00 11 00 91 ff 00 91 ff 00 00 00 00 00 00 03 00 00 ",
      "wait for hid",
      "hid ret bytes:3",
      "01 02 ab ",
      "wait for hid",
      "hid ret bytes:25",
      "03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 12 00 00 ",
  };
  ASSERT_GE(lines.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expected.size()), expected);
  // The stop finds the reader either blocked in its read (which then returns 0) or just before it.
  std::vector<std::string> tail(lines.begin() + expected.size(), lines.end());
  const std::vector<std::string> blocked = {"wait for hid", "hid ret bytes:0"};
  EXPECT_TRUE(tail == blocked || tail == std::vector<std::string>{"wait for hid"}) << ::testing::PrintToString(tail);
}

TEST_F(DeviceReaderTest, AShortStatusReportIsLoggedNotDelivered) {
  Collector collector;
  DeviceReader reader(collector.OnStatus(), collector.OnEnd());
  ASSERT_TRUE(reader.Start());
  ASSERT_TRUE(collector.WaitForReports(1));
  mouse_->PushReport({0x03, 0x01, 0x02});
  mouse_->Click(StatusReport::kClickRight);
  ASSERT_TRUE(collector.WaitForReports(2));
  EXPECT_EQ(collector.Reports()[1].clickFlags, StatusReport::kClickRight);
  EXPECT_EQ(collector.Reports().size(), 2u);
  reader.Stop();
  reader.Join();
  std::vector<std::string> lines = LogLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "status report of 3 bytes is too short, ignored"), lines.end());
}

TEST_F(DeviceReaderTest, UnpluggingEndsTheReaderAndClosesTheLibraryThenAFreshOneRuns) {
  Collector collector;
  DeviceReader reader(collector.OnStatus(), collector.OnEnd());
  ASSERT_TRUE(reader.Start());
  ASSERT_TRUE(collector.WaitForReports(1));

  mouse_->Unplug();
  ASSERT_TRUE(collector.WaitForEnds(1));
  reader.Join();
  EXPECT_FALSE(reader.IsRunning());
  EXPECT_FALSE(IsConnectionOpen());
  std::vector<std::string> lines = LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "hid ret bytes:" + std::to_string(kHidErrRead));
  EXPECT_EQ(lines.back(), "hid err:read failed: device disconnected");

  mouse_->Plug();
  ASSERT_TRUE(reader.Start());
  ASSERT_TRUE(collector.WaitForReports(2));
  EXPECT_TRUE(reader.IsRunning());
  EXPECT_TRUE(IsConnectionOpen());
}

TEST_F(DeviceReaderTest, AReadErrorEndsTheReaderWithTheLibrarysText) {
  Collector collector;
  DeviceReader reader(collector.OnStatus(), collector.OnEnd());
  ASSERT_TRUE(reader.Start());
  ASSERT_TRUE(collector.WaitForReports(1));
  mouse_->SetFailReads(true);
  ASSERT_TRUE(collector.WaitForEnds(1));
  reader.Join();
  EXPECT_EQ(LogLines().back(), "hid err:read failed: simulated read failure");
  EXPECT_FALSE(mouse_->IsOpen());
}

TEST_F(DeviceReaderTest, WithoutAMouseTheReaderEndsAtOnce) {
  mouse_->Unplug();
  Collector collector;
  DeviceReader reader(collector.OnStatus(), collector.OnEnd());
  ASSERT_TRUE(reader.Start());
  ASSERT_TRUE(collector.WaitForEnds(1));
  reader.Join();
  EXPECT_TRUE(collector.Reports().empty());
}

// Writers on other threads while the reader is blocked in its read: each write is taken, every
// status query is answered, and stopping ends the blocked read. Run under ThreadSanitizer too.
TEST_F(DeviceReaderTest, WritesAreTakenWhileTheReaderIsBlocked) {
  Collector collector;
  DeviceReader reader(collector.OnStatus(), collector.OnEnd());
  ASSERT_TRUE(reader.Start());
  ASSERT_TRUE(collector.WaitForReports(1));  // the reader is now in its loop

  constexpr int kThreads = 3, kWrites = 50;
  std::atomic<int> failures{0};
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&, t] {
      for (int i = 0; i < kWrites; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "03 10 04 01 %02X 40 80 A4", (t * kWrites + i) % 0xA4 + 1);
        if (!SendCommandText(text)) ++failures;
        if (i % 10 == 9 && !SendCommandText("03F9")) ++failures;
      }
    });
  }
  for (auto& writer : writers) writer.join();
  EXPECT_EQ(failures.load(), 0);
  ASSERT_TRUE(collector.WaitForReports(1 + kThreads * kWrites / 10));
  EXPECT_EQ(mouse_->Trace().size(), static_cast<size_t>(1 + kThreads * (kWrites + kWrites / 10)));
  EXPECT_TRUE(reader.IsRunning());

  reader.Stop();
  reader.Join();
  EXPECT_FALSE(reader.IsRunning());
}

TEST_F(DeviceReaderTest, StoppingRacesWithSendersWithoutHanging) {
  for (int round = 0; round < 20; ++round) {
    Collector collector;
    DeviceReader reader(collector.OnStatus(), collector.OnEnd());
    ASSERT_TRUE(reader.Start());
    std::thread sender([] {
      for (int i = 0; i < 20; ++i) SendCommandText("03F9");
    });
    reader.Stop();
    sender.join();
    reader.Join();
    EXPECT_FALSE(reader.IsRunning());
  }
}

}  // namespace
}  // namespace kz::device
