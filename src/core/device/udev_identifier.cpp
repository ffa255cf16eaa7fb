#include "device/udev_identifier.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <libudev.h>

namespace kz::device {
namespace {

constexpr const char* kUsbDeviceInterfaceClass = "{A5DCBF10-6530-11D2-901F-00C04FB951ED}";

// A four-digit hexadecimal id attribute ("7616", "530a"); -1 when missing or malformed.
long HexId(udev_device* device, const char* name) {
  const char* text = device ? udev_device_get_sysattr_value(device, name) : nullptr;
  if (text == nullptr || *text == '\0') return -1;
  char* end = nullptr;
  long value = std::strtol(text, &end, 16);
  while (end != nullptr && std::isspace(static_cast<unsigned char>(*end))) ++end;
  if (end == nullptr || *end != '\0' || value < 0 || value > 0xFFFF) return -1;
  return value;
}

bool IsDevtype(udev_device* device, const char* devtype) {
  const char* type = udev_device_get_devtype(device);
  return type != nullptr && std::strcmp(type, devtype) == 0;
}

// The serial keeps only characters that cannot be taken for separators.
std::string Instance(udev_device* device, bool preferSerial) {
  const char* serial = preferSerial ? udev_device_get_sysattr_value(device, "serial") : nullptr;
  const char* text = (serial != nullptr && *serial != '\0') ? serial : udev_device_get_sysname(device);
  std::string out;
  for (const char* p = text ? text : ""; *p != '\0'; ++p)
    out += (*p == '\\' || *p == '#' || *p == '&') ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  return out;
}

std::string VidPid(long vendor, long product) {
  char text[40];
  std::snprintf(text, sizeof text, "VID_%04lX&PID_%04lX", vendor, product);
  return text;
}

}  // namespace

std::string UsbIdentifierOf(udev_device* device) {
  if (device == nullptr) return {};
  if (IsDevtype(device, "usb_device")) {
    long vendor = HexId(device, "idVendor"), product = HexId(device, "idProduct");
    if (vendor < 0 || product < 0) return {};
    return "USB\\" + VidPid(vendor, product) + "\\" + Instance(device, true);
  }
  if (IsDevtype(device, "usb_interface")) {
    udev_device* parent = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
    long vendor = HexId(parent, "idVendor"), product = HexId(parent, "idProduct");
    long number = HexId(device, "bInterfaceNumber");
    if (vendor < 0 || product < 0 || number < 0) return {};
    char mi[16];
    std::snprintf(mi, sizeof mi, "&MI_%02lX", number);
    return "USB\\" + VidPid(vendor, product) + mi + "\\" + Instance(device, false);
  }
  return {};
}

std::string UsbArrivalPathOf(udev_device* device) {
  if (device == nullptr || !IsDevtype(device, "usb_device")) return {};
  long vendor = HexId(device, "idVendor"), product = HexId(device, "idProduct");
  if (vendor < 0 || product < 0) return {};
  // The system spells the path in lower case; the arrival rules upper-case it.
  std::string path = "\\\\?\\usb#" + VidPid(vendor, product) + "#" + Instance(device, true) + "#" +
                     kUsbDeviceInterfaceClass;
  for (size_t i = 8; i < path.size(); ++i) path[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(path[i])));
  return path;
}

}  // namespace kz::device
