#pragma once
// How the settings models reach the mouse: a sender of command texts and the pause between the
// commands of one write sequence. The real link goes through the command channel; tests give a
// recording sender and a pause that returns at once.
#include <functional>
#include <string_view>

namespace kz::settings {

// The mouse needs this long between two commands of one write.
inline constexpr int kCommandPauseMs = 50;

struct DeviceLink {
  std::function<bool(std::string_view text)> send;
  std::function<void(int milliseconds)> pause;
};

// SendCommandText of the channel and a real sleep.
DeviceLink DefaultDeviceLink();

}  // namespace kz::settings
