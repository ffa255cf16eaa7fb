#pragma once
// Device identifiers of libudev's USB devices in the form the presence rules expect.
#include <string>

struct udev_device;

namespace kz::device {

// "USB\VID_%04X&PID_%04X\<serial or sysname>" for a usb_device,
// "USB\VID_%04X&PID_%04X&MI_%02X\<sysname>" for a usb_interface (ids from its device); "" for
// anything else or when the ids are missing.
std::string UsbIdentifierOf(udev_device* device);
// The arrival path the same device would announce: "\\?\USB#VID_...&PID_...#<serial>#{A5DCBF10-...}".
std::string UsbArrivalPathOf(udev_device* device);

}  // namespace kz::device
