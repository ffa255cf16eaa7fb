#pragma once
// Pointer settings that reach the desktop only when they change. The settings page applies all
// three values on every slider move and every profile switch; behind each Set of the desktop
// backend there is a gsettings process or a file write, so repeating a value the desktop already
// has costs a process start for nothing.
//
// Remembering is sound because this program is the only one that changes these values while it
// runs. Should that stop being true (the user opened the desktop's own mouse panel, say), Forget()
// makes the next read ask the backend again.
#include <memory>
#include <mutex>
#include <optional>

#include "settings/pointer_settings.h"

namespace kz::settings {

class AppliedPointerSettings : public PointerSettings {
 public:
  explicit AppliedPointerSettings(std::shared_ptr<PointerSettings> inner);

  // The first read of a value asks the backend; later ones answer with the remembered value.
  int DoubleClickTime() override;
  int WheelScrollLines() override;
  int MouseSpeed() override;
  // The same value as remembered (last set or read) is not passed on and counts as applied. A
  // failed set forgets the value, since the backend may then hold either the old or the new one.
  bool SetDoubleClickTime(int milliseconds) override;
  bool SetWheelScrollLines(int lines) override;
  bool SetMouseSpeed(int speed) override;

  // Drops every remembered value, so each next read and set goes to the backend.
  void Forget();

 private:
  using Getter = int (PointerSettings::*)();
  using Setter = bool (PointerSettings::*)(int);
  int Get(std::optional<int>& known, Getter get);
  bool Set(std::optional<int>& known, Setter set, int value);

  // Held across the backend's calls too, so that what is remembered is always what the backend
  // was last told, even when two threads set the same value at once.
  std::mutex mutex_;
  std::shared_ptr<PointerSettings> inner_;
  std::optional<int> doubleClick_, wheelLines_, speed_;
};

}  // namespace kz::settings
