#pragma once
// How the settings models reach the mouse (see device/write_sequence.h).
#include "device/write_sequence.h"

namespace kz::settings {

// The mouse needs this long between two commands of one write.
inline constexpr int kCommandPauseMs = 50;

using device::DeviceLink;
using device::WriteSequence;

// SendCommandText of the channel and a real sleep.
inline DeviceLink DefaultDeviceLink() { return device::ChannelLink(); }

}  // namespace kz::settings
