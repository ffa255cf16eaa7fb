#include "settings/applied_pointer_settings.h"

#include <utility>

namespace kz::settings {

AppliedPointerSettings::AppliedPointerSettings(std::shared_ptr<PointerSettings> inner) : inner_(std::move(inner)) {}

int AppliedPointerSettings::Get(std::optional<int>& known, Getter get) {
  std::lock_guard lock(mutex_);
  if (!known) known = ((*inner_).*get)();
  return *known;
}

bool AppliedPointerSettings::Set(std::optional<int>& known, Setter set, int value) {
  std::lock_guard lock(mutex_);
  if (known == value) return true;
  if (((*inner_).*set)(value)) {
    known = value;
    return true;
  }
  known.reset();
  return false;
}

int AppliedPointerSettings::DoubleClickTime() { return Get(doubleClick_, &PointerSettings::DoubleClickTime); }
int AppliedPointerSettings::WheelScrollLines() { return Get(wheelLines_, &PointerSettings::WheelScrollLines); }
int AppliedPointerSettings::MouseSpeed() { return Get(speed_, &PointerSettings::MouseSpeed); }

bool AppliedPointerSettings::SetDoubleClickTime(int milliseconds) {
  return Set(doubleClick_, &PointerSettings::SetDoubleClickTime, milliseconds);
}

bool AppliedPointerSettings::SetWheelScrollLines(int lines) {
  return Set(wheelLines_, &PointerSettings::SetWheelScrollLines, lines);
}

bool AppliedPointerSettings::SetMouseSpeed(int speed) { return Set(speed_, &PointerSettings::SetMouseSpeed, speed); }

void AppliedPointerSettings::Forget() {
  std::lock_guard lock(mutex_);
  doubleClick_.reset();
  wheelLines_.reset();
  speed_.reset();
}

}  // namespace kz::settings
