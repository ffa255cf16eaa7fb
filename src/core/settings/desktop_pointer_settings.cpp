#include "settings/desktop_pointer_settings.h"

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "base/log.h"
#include "base/paths.h"
#include "settings/run_program.h"

namespace kz::settings {
namespace {

constexpr int kMinDoubleClick = 100;
constexpr int kMaxDoubleClick = 5000;
constexpr int kMaxWheelLines = 100;

std::string Trimmed(std::string text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  size_t end = text.find_last_not_of(" \t\r\n");
  return begin == std::string::npos ? std::string() : text.substr(begin, end - begin + 1);
}

// gsettings prints an int32 as "400" and a double as "0.5", sometimes with a type word in front.
template <typename T>
std::optional<T> ParseValue(std::string text) {
  text = Trimmed(text);
  size_t blank = text.rfind(' ');
  if (blank != std::string::npos) text = text.substr(blank + 1);
  T value{};
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool IsGnomeSession() {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  if (!desktop) return false;
  std::string upper(desktop);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper.find("GNOME") != std::string::npos;
}

bool ValidDoubleClick(int ms) { return ms >= kMinDoubleClick && ms <= kMaxDoubleClick; }
bool ValidWheelLines(int lines) { return lines == kWheelPageScroll || (lines >= 1 && lines <= kMaxWheelLines); }
bool ValidSpeed(int speed) { return speed >= kMinPointerSpeed && speed <= kMaxPointerSpeed; }

}  // namespace

DesktopPointerSettings::DesktopPointerSettings(std::string file, std::string gsettings)
    : file_(std::move(file)), gsettings_(std::move(gsettings)) {}

double DesktopPointerSettings::GnomeSpeedOf(int speed) {
  return (std::clamp(speed, kMinPointerSpeed, kMaxPointerSpeed) - 10) / 10.0;
}

int DesktopPointerSettings::SpeedOfGnome(double gnomeSpeed) {
  if (!std::isfinite(gnomeSpeed)) return 10;
  return std::clamp(static_cast<int>(std::lround(gnomeSpeed * 10.0)) + 10, kMinPointerSpeed, kMaxPointerSpeed);
}

bool DesktopPointerSettings::UsesDesktop() {
  std::lock_guard lock(mutex_);
  return UsesDesktopLocked();
}

bool DesktopPointerSettings::UsesDesktopLocked() {
  if (probed_ < 0) {
    // Other desktops keep the mouse schema around but never read it; a value set there would be
    // silently without effect, so only a GNOME session counts.
    std::optional<std::string> value =
        gsettings_.empty() || !IsGnomeSession() ? std::nullopt : Get("double-click");
    probed_ = value && ParseValue<int>(*value) ? 1 : 0;
    if (!probed_) Log("pointer settings: desktop settings not reachable, keeping them in %s", file_.c_str());
  }
  return probed_ == 1;
}

std::optional<std::string> DesktopPointerSettings::Get(const char* key) {
  std::string output;
  if (RunProgram({gsettings_, "get", kGnomeMouseSchema, key}, output) != 0) return std::nullopt;
  return output;
}

bool DesktopPointerSettings::Set(const char* key, const std::string& value) {
  std::string output;
  return RunProgram({gsettings_, "set", kGnomeMouseSchema, key, value}, output) == 0;
}

DesktopPointerSettings::Kept DesktopPointerSettings::ReadKept() const {
  Kept kept;
  std::string content;
  if (!paths::ReadFile(file_, content)) return kept;
  std::istringstream lines(content);
  std::string line;
  while (std::getline(lines, line)) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string name = Trimmed(line.substr(0, equals));
    std::optional<int> value = ParseValue<int>(line.substr(equals + 1));
    if (!value) continue;
    if (name == "double_click" && ValidDoubleClick(*value)) kept.doubleClick = *value;
    if (name == "wheel_lines" && ValidWheelLines(*value)) kept.wheelLines = *value;
    if (name == "mouse_speed" && ValidSpeed(*value)) kept.speed = *value;
  }
  return kept;
}

bool DesktopPointerSettings::WriteKept(const Kept& kept) const {
  paths::MakeDirs(paths::DirName(file_));
  std::string content = "double_click=" + std::to_string(kept.doubleClick) + "\nwheel_lines=" +
                        std::to_string(kept.wheelLines) + "\nmouse_speed=" + std::to_string(kept.speed) + "\n";
  if (paths::WriteFileAtomic(file_, content, 0600)) return true;
  Log("pointer settings: cannot write %s", file_.c_str());
  return false;
}

int DesktopPointerSettings::DoubleClickTime() {
  std::lock_guard lock(mutex_);
  if (UsesDesktopLocked()) {
    std::optional<std::string> text = Get("double-click");
    std::optional<int> value = text ? ParseValue<int>(*text) : std::nullopt;
    if (value) return *value;
  }
  return ReadKept().doubleClick;
}

int DesktopPointerSettings::WheelScrollLines() {
  std::lock_guard lock(mutex_);
  return ReadKept().wheelLines;
}

int DesktopPointerSettings::MouseSpeed() {
  std::lock_guard lock(mutex_);
  if (UsesDesktopLocked()) {
    std::optional<std::string> text = Get("speed");
    std::optional<double> value = text ? ParseValue<double>(*text) : std::nullopt;
    if (value) return SpeedOfGnome(*value);
  }
  return ReadKept().speed;
}

bool DesktopPointerSettings::SetDoubleClickTime(int milliseconds) {
  if (!ValidDoubleClick(milliseconds)) return false;
  std::lock_guard lock(mutex_);
  if (UsesDesktopLocked()) return Set("double-click", std::to_string(milliseconds));
  Kept kept = ReadKept();
  kept.doubleClick = milliseconds;
  return WriteKept(kept);
}

bool DesktopPointerSettings::SetWheelScrollLines(int lines) {
  if (!ValidWheelLines(lines)) return false;
  std::lock_guard lock(mutex_);
  Kept kept = ReadKept();
  kept.wheelLines = lines;
  return WriteKept(kept);
}

bool DesktopPointerSettings::SetMouseSpeed(int speed) {
  if (!ValidSpeed(speed)) return false;
  std::lock_guard lock(mutex_);
  if (UsesDesktopLocked()) {
    char text[32];
    auto [end, ec] = std::to_chars(text, text + sizeof text, GnomeSpeedOf(speed));
    if (ec != std::errc()) return false;
    return Set("speed", std::string(text, end));
  }
  Kept kept = ReadKept();
  kept.speed = speed;
  return WriteKept(kept);
}

}  // namespace kz::settings
