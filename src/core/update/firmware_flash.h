#pragma once
// FlashFirmware: the image file is read and checked whole, then sent as one write sequence on the
// device writer, so the owning thread never waits for the mouse.
#include <atomic>
#include <functional>
#include <string>

#include "device/write_sequence.h"
#include "update/firmware_image.h"

namespace kz::update {

// Reads `path` and hands its flash sequence to `writer`. A file that cannot be read or does not
// hold a good image gets the status line "无法打开固件更新包！", nothing is sent and the result is
// false at once (`done` is not called). Otherwise true, and `done` gets the sequence's result where
// the writer delivers results: false after the status line "更新失败，设备可能未接入电脑!" when the
// mouse refused the start command (then nothing else was sent), true when the sequence ran to its
// end.
bool FlashFirmware(const std::string& path, device::SequenceWriter& writer, const FlashReport& report,
                   std::function<void(bool ok)> done);

// The same for a worker thread that may wait: the result of the whole sequence. Gives up waiting
// (false) when `cancel` is raised; the sequence itself still runs to its end, as the mouse must
// not be left half written.
bool FlashFirmwareAndWait(const std::string& path, device::SequenceWriter& writer, const FlashReport& report,
                          const std::atomic<bool>& cancel);

}  // namespace kz::update
