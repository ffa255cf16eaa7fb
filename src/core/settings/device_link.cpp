#include "settings/device_link.h"

#include <chrono>
#include <thread>

#include "device/channel.h"

namespace kz::settings {

DeviceLink DefaultDeviceLink() {
  return {[](std::string_view text) { return device::SendCommandText(text); },
          [](int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }};
}

}  // namespace kz::settings
