#pragma once
// Recording a macro from the keyboard into the open macro's events: each key press and release
// becomes a key row, and with the delay toggle on, a pause of more than 20 ms between two events
// becomes the delay of the earlier row plus a delay row. Times come from the events themselves
// (the window system's timestamps where it gives them, else the injected clock), so a busy window
// thread cannot shorten a recorded pause.
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include "macro/macro_event.h"

namespace kz::macro {

// The key messages a captured event carries.
inline constexpr int kKeyDownMessage = 0x100;
inline constexpr int kKeyUpMessage = 0x101;
// Pauses of this many milliseconds or fewer are not recorded.
inline constexpr int kRecordedPauseThresholdMs = 20;
// Shown when recording is started without an open macro.
inline constexpr const char* kPickMacroSetFirst = "请先选择宏定义集或者创建宏定义集";

class MacroRecorder {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  explicit MacroRecorder(Clock clock);

  bool Recording() const { return recording_; }
  // A new recording replaces the macro's events; the next event is the first one.
  void Start(std::vector<MacroEvent>& events);
  void Stop() { recording_ = false; }

  bool DelayOn() const { return delayOn_; }
  void SetDelayOn(bool on) { delayOn_ = on; }

  // One captured key event while recording, appended to `events` (the open macro's events: they
  // may be another macro's than at the start, when the user opened one while recording). `when`
  // is the event's own time; without it the clock is read. False when the event was not taken
  // (not recording, or 60 key rows already).
  bool Capture(std::vector<MacroEvent>& events, int message, int virtualKey,
               std::optional<std::chrono::steady_clock::time_point> when = std::nullopt);

 private:
  Clock clock_;
  bool recording_ = false;
  bool firstEvent_ = false;
  bool delayOn_ = false;
  std::optional<std::chrono::steady_clock::time_point> previous_;
};

}  // namespace kz::macro
