#pragma once
// Whether the mouse is plugged in: the token rules over device identifiers, and the scan of the
// present USB devices (libudev), whose identifiers are formed like "USB\VID_7616&PID_530A\TEST0001"
// (an interface: "USB\VID_7616&PID_530A&MI_00\1-1:1.0") so that the same rules apply to them.
#include <string>
#include <string_view>
#include <vector>

namespace kz::device {

struct IdentifierTokens {
  std::string vendor;   // the last token starting "VID_", "" when none
  std::string product;  // the last token starting "PID_", "" when none
};

// Splits at every backslash, "#" and "&"; "MI_" and every other token are ignored.
IdentifierTokens PickIdentifierTokens(std::string_view identifier);
// True when the tokens are exactly "VID_7616" and "PID_530A" (case-sensitive).
bool IsMouseIdentifier(std::string_view identifier);
// An arrival path ("\\?\USB#VID_7616&PID_530A#serial#{guid}") made into an identifier: the first four
// characters dropped when they are "\\?\", cut at the last "#", every "#" made a backslash,
// upper-cased.
std::string ArrivalPathToIdentifier(std::string_view path);

// Identifiers of every present USB device and interface, from libudev; empty when the system's
// list cannot be read.
std::vector<std::string> ScanUsbIdentifiers();
// Those of the scan that name the mouse.
std::vector<std::string> ScanMouseIdentifiers();

// The presence test of the program: the present mice of the current backend (the simulated mouse
// answers for itself: present unless unplugged).
std::vector<std::string> PresentMouseIdentifiers();
bool IsMousePresent();

}  // namespace kz::device
