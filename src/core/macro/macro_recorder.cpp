#include "macro/macro_recorder.h"

namespace kz::macro {

MacroRecorder::MacroRecorder(Clock clock) : clock_(std::move(clock)) {}

void MacroRecorder::Start(std::vector<MacroEvent>& events) {
  recording_ = true;
  firstEvent_ = true;
  events.clear();
}

bool MacroRecorder::Capture(std::vector<MacroEvent>& events, int message, int virtualKey,
                            std::optional<std::chrono::steady_clock::time_point> when) {
  if (!recording_ || KeyEventCount(events) >= kMaxMacroKeyEvents) return false;
  const auto now = when ? *when : clock_();
  long long elapsed = 0;
  if (firstEvent_) {
    firstEvent_ = false;
  } else if (previous_ && now > *previous_) {
    elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - *previous_).count();
  }
  previous_ = now;
  const int down = message == kKeyUpMessage ? 0 : 1;
  if (elapsed > kRecordedPauseThresholdMs && delayOn_ && !events.empty()) {
    const int delay = elapsed > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(elapsed);
    events.back().delay = delay;
    events.push_back({0, 0, delay});
  }
  events.push_back({virtualKey, down, 0});
  return true;
}

}  // namespace kz::macro
