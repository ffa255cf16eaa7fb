#pragma once
// Pointer settings of the running desktop. In a GNOME session (XDG_CURRENT_DESKTOP) the
// double-click time and the pointer speed are the desktop's own settings, changed through the
// "gsettings" program; what the
// desktop has no setting for (wheel lines per notch), and everything when gsettings is missing,
// is kept in a small file in the data folder so that the page shows back what it set.
#include <mutex>
#include <optional>
#include <string>

#include "settings/pointer_settings.h"

namespace kz::settings {

inline constexpr const char* kPointerSettingsFileName = "pointer_settings.ini";
inline constexpr const char* kGnomeMouseSchema = "org.gnome.desktop.peripherals.mouse";

class DesktopPointerSettings : public PointerSettings {
 public:
  // `file`: where the kept values live. `gsettings`: the program to run; "" never uses it.
  explicit DesktopPointerSettings(std::string file, std::string gsettings = "gsettings");

  int DoubleClickTime() override;
  int WheelScrollLines() override;
  int MouseSpeed() override;
  bool SetDoubleClickTime(int milliseconds) override;
  bool SetWheelScrollLines(int lines) override;
  bool SetMouseSpeed(int speed) override;

  // True when the desktop's settings are reachable (probed once).
  bool UsesDesktop();

  // GNOME's speed runs from -1 to 1 with 0 as the middle.
  static double GnomeSpeedOf(int speed);
  static int SpeedOfGnome(double gnomeSpeed);

 private:
  struct Kept {
    int doubleClick = 500;
    int wheelLines = 3;
    int speed = 10;
  };
  Kept ReadKept() const;
  bool WriteKept(const Kept& kept) const;
  std::optional<std::string> Get(const char* key);
  bool Set(const char* key, const std::string& value);
  bool UsesDesktopLocked();

  std::mutex mutex_;
  std::string file_;
  std::string gsettings_;
  int probed_ = -1;  // -1 not yet, 0 no, 1 yes
};

}  // namespace kz::settings
