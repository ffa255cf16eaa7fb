// Presence and arrival through libudev against an emulated mouse. This program runs under
// umockdev-wrapper (its preload redirects /sys, /dev and the uevent socket into a testbed).
#include "base/log.h"
#include "device/arrival_monitor.h"
#include "device/hidapi_backend.h"
#include "device/hidm.h"
#include "device/presence.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#ifdef KZ_HAVE_UMOCKDEV
#include <umockdev.h>
#endif

namespace kz::device {
namespace {

const char* const kMouse = "USB\\VID_7616&PID_530A\\TEST0001";
const char* const kMouseInterface = "USB\\VID_7616&PID_530A&MI_00\\1-1:1.0";

// A keyboard of another maker, to show that other devices are seen and passed over.
const char* const kOtherDevice =
    "P: /devices/pci0000:00/0000:00:14.0/usb1/1-2\n"
    "E: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\nE: PRODUCT=46d/c31c/6400\n"
    "A: idVendor=046d\nA: idProduct=c31c\nA: serial=kbd1\n";

#ifdef KZ_HAVE_UMOCKDEV

// The fixtures ship with the sources (KZ_UMOCKDEV_DIR from CTest names their folder).
std::string FixtureDir() {
  const char* dir = std::getenv("KZ_UMOCKDEV_DIR");
  return dir != nullptr && *dir != '\0' ? std::string(dir) + "/" : kztest::SourceDir() + "tests/data/umockdev/";
}

class UdevTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The check looks at /sys, which the preload redirects only once a testbed exists.
    testbed_ = umockdev_testbed_new();
    if (!umockdev_in_mock_environment()) GTEST_SKIP() << "not running under umockdev-wrapper";
    // umockdev is there, so a missing fixture is a broken checkout, not a reason to pass quietly.
    mouseFile_ = FixtureDir() + "hid-7616-530a-kzmouse.umockdev";
    ASSERT_FALSE(kztest::ReadAll(mouseFile_).empty()) << "no emulated mouse at " << mouseFile_;
    kz::log::SetPath(dir_ / "kz_log.txt");
    InstallBackend(std::make_shared<HidapiBackend>());
  }
  void TearDown() override {
    if (testbed_ != nullptr) g_object_unref(testbed_);
    InstallBackend(nullptr);
    kz::log::SetPath("");
  }
  void AddMouse() {
    GError* error = nullptr;
    ASSERT_TRUE(umockdev_testbed_add_from_file(testbed_, mouseFile_.c_str(), &error))
        << (error ? error->message : "");
  }
  void AddOther() {
    GError* error = nullptr;
    ASSERT_TRUE(umockdev_testbed_add_from_string(testbed_, kOtherDevice, &error)) << (error ? error->message : "");
  }

  kztest::TempDir dir_;
  std::string mouseFile_;
  UMockdevTestbed* testbed_ = nullptr;
};

TEST_F(UdevTest, ThePresenceTestFindsTheMouseAmongOtherDevices) {
  EXPECT_FALSE(IsMousePresent());
  AddOther();
  EXPECT_FALSE(IsMousePresent());
  std::vector<std::string> all = ScanUsbIdentifiers();
  EXPECT_EQ(all, std::vector<std::string>{"USB\\VID_046D&PID_C31C\\KBD1"});

  AddMouse();
  EXPECT_TRUE(IsMousePresent());
  // The device and its interface both carry the tokens.
  EXPECT_EQ(ScanMouseIdentifiers(), (std::vector<std::string>{kMouse, kMouseInterface}));
  EXPECT_EQ(PresentMouseIdentifiers(), ScanMouseIdentifiers());
}

TEST_F(UdevTest, PluggingTheMouseInIsAnArrivalOtherDevicesAndRemovalsAreNot) {
  std::vector<std::string> arrivals;
  ArrivalMonitor monitor([&](const std::string& identifier) { arrivals.push_back(identifier); });
  ASSERT_TRUE(monitor.Start());  // made after the testbed, so it listens to the testbed's events
  ASSERT_GE(monitor.Fd(), 0);

  AddOther();
  ASSERT_TRUE(monitor.WaitForEvents(5000));
  EXPECT_EQ(monitor.ProcessPendingEvents(), 0);

  AddMouse();
  ASSERT_TRUE(monitor.WaitForEvents(5000));
  // The events of the mouse's interface, hid and hidraw devices may come in several reads.
  int found = 0;
  do found += monitor.ProcessPendingEvents();
  while (found == 0 && monitor.WaitForEvents(5000));
  EXPECT_EQ(found, 1);
  EXPECT_EQ(arrivals, std::vector<std::string>{kMouse});

  umockdev_testbed_uevent(testbed_, "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1", "remove");
  ASSERT_TRUE(monitor.WaitForEvents(5000));
  EXPECT_EQ(monitor.ProcessPendingEvents(), 0);
  umockdev_testbed_uevent(testbed_, "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1", "add");
  ASSERT_TRUE(monitor.WaitForEvents(5000));
  EXPECT_EQ(monitor.ProcessPendingEvents(), 1);  // plugged in again
  EXPECT_EQ(arrivals.size(), 2u);

  std::vector<std::string> lines = kztest::ReadLines(dir_ / "kz_log.txt");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("]INFO: mouse insert"), std::string::npos);
}

TEST_F(UdevTest, HidapiFindsAndOpensTheEmulatedNode) {
  AddMouse();
  GError* error = nullptr;
  std::string ioctl = FixtureDir() + "hidraw0-kzmouse.ioctl";
  ASSERT_FALSE(kztest::ReadAll(ioctl).empty()) << "no ioctl answers at " << ioctl;
  ASSERT_TRUE(umockdev_testbed_load_ioctl(testbed_, "/dev/hidraw0", ioctl.c_str(), &error)) << (error ? error->message : "");
  ASSERT_EQ(HIDM_Init(0x7616, 0x530A), 0);
  EXPECT_EQ(std::dynamic_pointer_cast<HidapiBackend>(CurrentBackend())->OpenPath(), "/dev/hidraw0");
  HIDM_Uninit();
}

#else

TEST(UdevTest, NeedsUmockdev) { GTEST_SKIP() << "built without libumockdev (package libumockdev-dev)"; }

#endif

}  // namespace
}  // namespace kz::device
