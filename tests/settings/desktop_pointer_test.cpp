#include <gtest/gtest.h>

#include <sys/stat.h>

#include "settings/desktop_pointer_settings.h"
#include "support/test_support.h"

namespace kz::settings {
namespace {

// A stand-in for gsettings that keeps each key of the mouse schema in a file next to it.
class FakeGsettings {
 public:
  FakeGsettings() {
    ::mkdir((dir_ / "store").c_str(), 0700);
    kztest::WriteAll(path(),
                     "#!/bin/sh\n"
                     "store=\"$(dirname \"$0\")/store\"\n"
                     "[ \"$2\" = org.gnome.desktop.peripherals.mouse ] || exit 1\n"
                     "case \"$1\" in\n"
                     "  get) [ -f \"$store/$3\" ] && cat \"$store/$3\" ;;\n"
                     "  set) printf '%s\\n' \"$4\" > \"$store/$3\" ;;\n"
                     "  *) exit 1 ;;\n"
                     "esac\n");
    ::chmod(path().c_str(), 0700);
  }
  std::string path() const { return dir_ / "gsettings"; }
  std::string Value(const std::string& key) const { return kztest::ReadAll(dir_ / ("store/" + key)); }
  void SetValue(const std::string& key, const std::string& text) const { kztest::WriteAll(dir_ / ("store/" + key), text); }

 private:
  kztest::TempDir dir_;
};

TEST(DesktopPointerSettings, UsesTheDesktopWhereItHasTheSetting) {
  kztest::ScopedEnv desktop("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
  FakeGsettings gsettings;
  gsettings.SetValue("double-click", "400\n");
  gsettings.SetValue("speed", "0.0\n");
  kztest::TempDir data;
  DesktopPointerSettings pointer(data / kPointerSettingsFileName, gsettings.path());
  ASSERT_TRUE(pointer.UsesDesktop());
  EXPECT_EQ(pointer.DoubleClickTime(), 400);
  EXPECT_EQ(pointer.MouseSpeed(), 10);

  EXPECT_TRUE(pointer.SetDoubleClickTime(690));
  EXPECT_TRUE(pointer.SetMouseSpeed(1));
  EXPECT_TRUE(pointer.SetWheelScrollLines(kWheelPageScroll));  // no such desktop setting: kept in the file
  EXPECT_EQ(gsettings.Value("double-click"), "690\n");
  EXPECT_EQ(gsettings.Value("speed"), "-0.9\n");
  EXPECT_EQ(pointer.DoubleClickTime(), 690);
  EXPECT_EQ(pointer.MouseSpeed(), 1);
  EXPECT_EQ(pointer.WheelScrollLines(), kWheelPageScroll);

  gsettings.SetValue("speed", "0.35\n");
  EXPECT_EQ(pointer.MouseSpeed(), 14);
  gsettings.SetValue("speed", "garbage\n");
  EXPECT_EQ(pointer.MouseSpeed(), 10);  // falls back to the kept value
}

TEST(DesktopPointerSettings, OtherDesktopsKeepTheValuesInTheFile) {
  kztest::ScopedEnv desktop("XDG_CURRENT_DESKTOP", "KDE");
  FakeGsettings gsettings;
  gsettings.SetValue("double-click", "400\n");
  kztest::TempDir data;
  DesktopPointerSettings pointer(data / kPointerSettingsFileName, gsettings.path());
  EXPECT_FALSE(pointer.UsesDesktop());
  EXPECT_TRUE(pointer.SetDoubleClickTime(760));
  EXPECT_EQ(gsettings.Value("double-click"), "400\n");
  EXPECT_EQ(pointer.DoubleClickTime(), 760);
}

TEST(DesktopPointerSettings, KeepsEverythingInTheFileWithoutGsettings) {
  kztest::TempDir data;
  std::string file = data / ("sub/" + std::string(kPointerSettingsFileName));
  {
    DesktopPointerSettings pointer(file, data / "no-such-program");
    EXPECT_FALSE(pointer.UsesDesktop());
    EXPECT_EQ(pointer.DoubleClickTime(), 500);
    EXPECT_EQ(pointer.WheelScrollLines(), 3);
    EXPECT_EQ(pointer.MouseSpeed(), 10);
    EXPECT_TRUE(pointer.SetDoubleClickTime(830));
    EXPECT_TRUE(pointer.SetWheelScrollLines(11));
    EXPECT_TRUE(pointer.SetMouseSpeed(20));
    EXPECT_FALSE(pointer.SetMouseSpeed(21));
    EXPECT_FALSE(pointer.SetWheelScrollLines(0));
    EXPECT_FALSE(pointer.SetDoubleClickTime(-5));
  }
  DesktopPointerSettings again(file, "");
  EXPECT_EQ(again.DoubleClickTime(), 830);
  EXPECT_EQ(again.WheelScrollLines(), 11);
  EXPECT_EQ(again.MouseSpeed(), 20);

  kztest::WriteAll(file, "double_click=7\nwheel_lines=x\nmouse_speed=15\nnonsense\n");
  EXPECT_EQ(again.DoubleClickTime(), 500);
  EXPECT_EQ(again.WheelScrollLines(), 3);
  EXPECT_EQ(again.MouseSpeed(), 15);
}

TEST(DesktopPointerSettings, GnomeSpeedMapping) {
  EXPECT_DOUBLE_EQ(DesktopPointerSettings::GnomeSpeedOf(10), 0.0);
  EXPECT_DOUBLE_EQ(DesktopPointerSettings::GnomeSpeedOf(20), 1.0);
  for (int speed = kMinPointerSpeed; speed <= kMaxPointerSpeed; ++speed)
    EXPECT_EQ(DesktopPointerSettings::SpeedOfGnome(DesktopPointerSettings::GnomeSpeedOf(speed)), speed);
  EXPECT_EQ(DesktopPointerSettings::SpeedOfGnome(-1.0), kMinPointerSpeed);
}

}  // namespace
}  // namespace kz::settings
