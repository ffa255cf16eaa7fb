#include "device/presence.h"

#include "device/hidm.h"
#include "device/udev_identifier.h"

#include <cctype>
#include <libudev.h>
#include <memory>

namespace kz::device {
namespace {

constexpr const char* kVendorToken = "VID_7616";
constexpr const char* kProductToken = "PID_530A";

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

IdentifierTokens PickIdentifierTokens(std::string_view identifier) {
  IdentifierTokens tokens;
  size_t start = 0;
  while (start <= identifier.size()) {
    size_t end = identifier.find_first_of("\\#&", start);
    if (end == std::string_view::npos) end = identifier.size();
    std::string_view token = identifier.substr(start, end - start);
    if (StartsWith(token, "VID_")) tokens.vendor = token;
    else if (StartsWith(token, "PID_")) tokens.product = token;
    // "MI_" (the interface number) and everything else carry nothing for the test.
    start = end + 1;
  }
  return tokens;
}

bool IsMouseIdentifier(std::string_view identifier) {
  IdentifierTokens tokens = PickIdentifierTokens(identifier);
  return tokens.vendor == kVendorToken && tokens.product == kProductToken;
}

std::string ArrivalPathToIdentifier(std::string_view path) {
  if (StartsWith(path, "\\\\?\\")) path.remove_prefix(4);
  size_t cut = path.rfind('#');
  if (cut != std::string_view::npos) path = path.substr(0, cut);
  std::string identifier(path);
  for (char& c : identifier) {
    if (c == '#') c = '\\';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return identifier;
}

std::vector<std::string> ScanUsbIdentifiers() {
  std::vector<std::string> identifiers;
  std::unique_ptr<udev, decltype(&udev_unref)> context(udev_new(), &udev_unref);
  if (!context) return identifiers;
  std::unique_ptr<udev_enumerate, decltype(&udev_enumerate_unref)> scan(udev_enumerate_new(context.get()),
                                                                       &udev_enumerate_unref);
  if (!scan || udev_enumerate_add_match_subsystem(scan.get(), "usb") < 0 ||
      udev_enumerate_scan_devices(scan.get()) < 0)
    return identifiers;
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(scan.get())) {
    const char* syspath = udev_list_entry_get_name(entry);
    if (syspath == nullptr) continue;
    std::unique_ptr<udev_device, decltype(&udev_device_unref)> device(
        udev_device_new_from_syspath(context.get(), syspath), &udev_device_unref);
    if (!device) continue;  // gone meanwhile: skip it
    std::string identifier = UsbIdentifierOf(device.get());
    if (!identifier.empty()) identifiers.push_back(std::move(identifier));
  }
  return identifiers;
}

std::vector<std::string> ScanMouseIdentifiers() {
  std::vector<std::string> mice;
  for (auto& identifier : ScanUsbIdentifiers())
    if (IsMouseIdentifier(identifier)) mice.push_back(std::move(identifier));
  return mice;
}

std::vector<std::string> PresentMouseIdentifiers() {
  std::shared_ptr<HidBackend> backend = CurrentBackend();
  return backend ? backend->PresentIdentifiers() : std::vector<std::string>{};
}

bool IsMousePresent() { return !PresentMouseIdentifiers().empty(); }

}  // namespace kz::device
