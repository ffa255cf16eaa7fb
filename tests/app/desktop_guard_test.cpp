// The tests run as if in a GNOME session; the gsettings they find first on PATH aborts its caller,
// so a test that reaches for the desktop's settings fails rather than changing them.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "support/test_support.h"

namespace {

TEST(DesktopGuard, TestsRunInADesktopWhoseSettingsToolAbortsItsCaller) {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  ASSERT_NE(desktop, nullptr);
  EXPECT_EQ(std::string(desktop), "GNOME");
  kztest::TempDir dir;
  kztest::ChildProcess caller({"/bin/sh", "-c", "gsettings set org.gnome.desktop.peripherals.mouse speed 0.5; exit 0"},
                              {}, dir / "out.txt");
  ASSERT_TRUE(caller.started());
  EXPECT_EQ(caller.Wait(10), 128 + SIGABRT);
  EXPECT_NE(kztest::ReadAll(dir / "out.txt").find("tests must not touch the desktop's settings"), std::string::npos);
}

}  // namespace
