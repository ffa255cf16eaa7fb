// Recording through a fake clock: which pauses become delay rows, the first event, the key-row
// limit, and a new recording or another macro while recording.
#include <gtest/gtest.h>

#include "macro/macro_recorder.h"

namespace kz::macro {
namespace {

using std::chrono::milliseconds;
using TimePoint = std::chrono::steady_clock::time_point;

constexpr int kA = 0x41, kB = 0x42;

struct RecorderTest : ::testing::Test {
  TimePoint now{};
  MacroRecorder recorder{[this] { return now; }};
  std::vector<MacroEvent> events{{kB, 1, 0}};  // an earlier recording

  void Key(int message, int key, int afterMs) {
    now += milliseconds(afterMs);
    recorder.Capture(events, message, key);
  }
};

TEST_F(RecorderTest, PausesAboveTwentyMillisecondsBecomeDelaysWithTheToggleOn) {
  recorder.SetDelayOn(true);
  recorder.Start(events);
  EXPECT_TRUE(events.empty()) << "a new recording replaces the events";
  Key(kKeyDownMessage, kA, 5000);  // the first event never gets a pause, however late
  Key(kKeyUpMessage, kA, 20);      // exactly 20 ms: no pause
  Key(kKeyDownMessage, kB, 21);    // 21 ms: a pause
  Key(kKeyUpMessage, kB, 300);
  EXPECT_EQ(events, (std::vector<MacroEvent>{{kA, 1, 0}, {kA, 0, 21}, {0, 0, 21}, {kB, 1, 300}, {0, 0, 300},
                                             {kB, 0, 0}}));
}

TEST_F(RecorderTest, WithTheToggleOffNoPauseIsRecordedAndOddMessagesArePresses) {
  recorder.Start(events);
  Key(kKeyDownMessage, kA, 0);
  Key(kKeyUpMessage, kA, 500);
  Key(0x104, kB, 40);  // a system key press
  EXPECT_EQ(events, (std::vector<MacroEvent>{{kA, 1, 0}, {kA, 0, 0}, {kB, 1, 0}}));
}

TEST_F(RecorderTest, SixtyKeyRowsAtMostAndADroppedEventAddsNoPause) {
  recorder.SetDelayOn(true);
  recorder.Start(events);
  for (int i = 0; i < 60; ++i) Key(i % 2 ? kKeyUpMessage : kKeyDownMessage, kA, 30);
  EXPECT_EQ(KeyEventCount(events), 60);
  const size_t rows = events.size();
  EXPECT_EQ(rows, 60u + 59u) << "delay rows do not use up the limit";
  Key(kKeyDownMessage, kB, 100);
  EXPECT_EQ(events.size(), rows);
  EXPECT_EQ(events.back(), (MacroEvent{kA, 0, 0}));
}

TEST_F(RecorderTest, EventsOfOwnTimeAndNothingWhenStoppedOrAnotherMacroOpened) {
  recorder.SetDelayOn(true);
  recorder.Start(events);
  // The window thread was busy: the second event is handled late, but it happened 50 ms later.
  const TimePoint pressed = now;
  recorder.Capture(events, kKeyDownMessage, kA, pressed);
  now += milliseconds(900);
  recorder.Capture(events, kKeyUpMessage, kA, pressed + milliseconds(50));
  EXPECT_EQ(events, (std::vector<MacroEvent>{{kA, 1, 50}, {0, 0, 50}, {kA, 0, 0}}));

  // Another macro opened while recording: later events go on into its events.
  std::vector<MacroEvent> other{{kB, 1, 0}};
  recorder.Capture(other, kKeyUpMessage, kB, pressed + milliseconds(90));
  EXPECT_EQ(other, (std::vector<MacroEvent>{{kB, 1, 40}, {0, 0, 40}, {kB, 0, 0}}));

  recorder.Stop();
  EXPECT_FALSE(recorder.Capture(events, kKeyDownMessage, kA));
}

}  // namespace
}  // namespace kz::macro
