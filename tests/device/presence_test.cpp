#include "device/presence.h"

#include "device/arrival_monitor.h"
#include "device_fixture.h"

#include <string>
#include <vector>

namespace kz::device {
namespace {

TEST(PresenceTokens, FollowTheIdentifierRules) {
  struct Case {
    const char* identifier;
    const char* vendor;
    const char* product;
    bool mouse;
  } cases[] = {
      {"USB\\VID_7616&PID_530A\\TEST0001", "VID_7616", "PID_530A", true},
      {"USB\\VID_7616&PID_530A&MI_00\\7&1&0000", "VID_7616", "PID_530A", true},  // composite interface
      {"USB\\VID_7616&PID_530A&MI_01\\7&1&0001", "VID_7616", "PID_530A", true},
      {"USB#VID_7616#PID_530A", "VID_7616", "PID_530A", true},  // "#" separates too
      {"USB\\vid_7616&pid_530a\\X", "", "", false},                               // case-sensitive
      {"USB\\VID_7616&PID_530a\\X", "VID_7616", "PID_530a", false},
      {"USB\\VID_1234&PID_530A\\X&VID_7616", "VID_7616", "PID_530A", true},      // the last one wins
      {"USB\\VID_7616&PID_530A\\X&VID_1234", "VID_1234", "PID_530A", false},
      {"USB\\VID_76160&PID_530A\\X", "VID_76160", "PID_530A", false},            // whole token
      {"USB\\VID_7616", "VID_7616", "", false},
      {"", "", "", false},
      {"\\\\&&##", "", "", false},
  };
  for (const auto& c : cases) {
    IdentifierTokens tokens = PickIdentifierTokens(c.identifier);
    EXPECT_EQ(tokens.vendor, c.vendor) << c.identifier;
    EXPECT_EQ(tokens.product, c.product) << c.identifier;
    EXPECT_EQ(IsMouseIdentifier(c.identifier), c.mouse) << c.identifier;
  }
}

TEST(PresenceTokens, ArrivalPathsAreMadeIntoIdentifiers) {
  struct Case {
    const char* path;
    const char* identifier;
  } cases[] = {
      {"\\\\?\\usb#vid_7616&pid_530a#test0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}",
       "USB\\VID_7616&PID_530A\\TEST0001"},
      {"\\\\?\\USB#VID_7616&PID_530A&MI_00#7&1&0000#{A5DCBF10-6530-11D2-901F-00C04FB951ED}",
       "USB\\VID_7616&PID_530A&MI_00\\7&1&0000"},
      {"\\\\?\\usb#vid_046d&pid_c077#5&2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", "USB\\VID_046D&PID_C077\\5&2"},
      {"usb#vid_7616&pid_530a#x#{guid}", "USB\\VID_7616&PID_530A\\X"},  // no prefix to drop
      {"no separator", "NO SEPARATOR"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ArrivalPathToIdentifier(c.path), c.identifier) << c.path;
  EXPECT_TRUE(IsMouseIdentifier(ArrivalPathToIdentifier(cases[0].path)));
  EXPECT_FALSE(IsMouseIdentifier(ArrivalPathToIdentifier(cases[2].path)));
}

using SimulatedPresence = kztest::SimMouseFixture;

TEST_F(SimulatedPresence, TheSimulatedMouseIsPresentUnlessUnplugged) {
  EXPECT_TRUE(IsMousePresent());
  EXPECT_EQ(PresentMouseIdentifiers(), std::vector<std::string>{SimulatedMouse::kIdentifier});
  EXPECT_TRUE(IsMouseIdentifier(SimulatedMouse::kIdentifier));
  mouse_->Unplug();
  EXPECT_FALSE(IsMousePresent());
  mouse_->Plug();
  EXPECT_TRUE(IsMousePresent());
}

TEST_F(SimulatedPresence, PluggingTheSimulatedMouseInIsAnArrival) {
  std::vector<std::string> arrivals;
  ArrivalMonitor monitor([&](const std::string& identifier) { arrivals.push_back(identifier); });
  ASSERT_TRUE(monitor.Start());
  ASSERT_GE(monitor.Fd(), 0);
  EXPECT_FALSE(monitor.WaitForEvents(0));
  EXPECT_EQ(monitor.ProcessPendingEvents(), 0);

  mouse_->Unplug();  // removals are not events
  EXPECT_FALSE(monitor.WaitForEvents(0));
  mouse_->Plug();
  mouse_->Plug();
  ASSERT_TRUE(monitor.WaitForEvents(0));
  EXPECT_EQ(monitor.ProcessPendingEvents(), 2);
  EXPECT_EQ(arrivals, (std::vector<std::string>{SimulatedMouse::kIdentifier, SimulatedMouse::kIdentifier}));
  EXPECT_FALSE(monitor.WaitForEvents(0));
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"mouse insert", "mouse insert"}));
}

TEST_F(SimulatedPresence, AMonitorGoneBeforeThePlugIsNotCalled) {
  int calls = 0;
  {
    ArrivalMonitor monitor([&](const std::string&) { ++calls; });
    ASSERT_TRUE(monitor.Start());
  }
  mouse_->Plug();
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace kz::device
