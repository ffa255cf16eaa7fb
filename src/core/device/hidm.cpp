#include "device/hidm.h"

#include "device/hidapi_backend.h"
#include "device/sim_mouse.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace kz::device {
namespace {

struct Library {
  std::mutex mutex;
  std::shared_ptr<HidBackend> installed;  // null: the default choice
  std::shared_ptr<HidBackend> open;       // the backend of the open connection
};

// Never destroyed, so that a sender running while the process exits finds it intact; the system
// closes the device with the process.
Library& Lib() {
  static auto* library = new Library;
  return *library;
}

// The backend's text of the calling thread's last failure, with its code, for
// HIDM_GetErrorDescript right after the failing call.
thread_local int lastErrorCode = 0;
thread_local std::string lastErrorText;

void Remember(int result, const std::string& text) {
  if (result < 0) {
    lastErrorCode = result;
    lastErrorText = text;
  }
}

std::shared_ptr<HidBackend> OpenBackend() {
  std::lock_guard lock(Lib().mutex);
  return Lib().open;
}

const char* BaseText(int code) {
  switch (code) {
    case kHidErrNoDevice: return "mouse not found";
    case kHidErrOpen: return "cannot open the mouse";
    case kHidErrNotOpen: return "HID connection not open";
    case kHidErrTooLong: return "command longer than one output report";
    case kHidErrWrite: return "write failed";
    case kHidErrRead: return "read failed";
    case kHidErrRefused: return "the mouse refused the report";
    case kHidErrArgument: return "invalid argument";
    case kHidErrReportId: return "unknown report id";
    default: return code < 0 ? "unknown error" : "no error";
  }
}

}  // namespace

bool SimulationRequested() {
  const char* choice = std::getenv("KZMOUSE_DEVICE");
  return choice != nullptr && std::strcmp(choice, "sim") == 0;
}

std::shared_ptr<HidBackend> MakeBackend(bool simulate) {
  if (simulate) return SimulatedMouse::FromEnvironment();
  return std::make_shared<HidapiBackend>();
}

// Closing happens under the library lock so that a concurrent HIDM_Init cannot open the same
// backend between taking it out and closing it. Close never waits for a reader to return.
void InstallBackend(std::shared_ptr<HidBackend> backend) {
  std::lock_guard lock(Lib().mutex);
  if (Lib().open) Lib().open->Close();
  Lib().open.reset();
  Lib().installed = std::move(backend);
}

std::shared_ptr<HidBackend> CurrentBackend() {
  std::lock_guard lock(Lib().mutex);
  return Lib().installed;
}

bool HidmIsOpen() { return OpenBackend() != nullptr; }

int HIDM_Init(unsigned short vendorId, unsigned short productId) {
  std::shared_ptr<HidBackend> backend = CurrentBackend();
  // Opening under the lock keeps two threads from opening two connections.
  std::lock_guard lock(Lib().mutex);
  if (Lib().open) return 0;
  std::string error;
  if (!backend) {
    Remember(kHidErrNoDevice, "no mouse backend installed");
    return kHidErrNoDevice;
  }
  int result = backend->Open(vendorId, productId, error);
  Remember(result, error);
  if (result < 0) return result;
  Lib().open = std::move(backend);
  return 0;
}

int CheckWriteArguments(const unsigned char* bytes, int count, std::string& error) {
  if (bytes == nullptr || count <= 0) {
    error = "no bytes to write";
    return kHidErrArgument;
  }
  if (count > kOutputReportLength) {
    error = std::to_string(count) + " bytes, the report holds " + std::to_string(kOutputReportLength);
    return kHidErrTooLong;
  }
  return 0;
}

int HIDM_Write(const unsigned char* bytes, int count) {
  std::string problem;
  if (int refused = CheckWriteArguments(bytes, count, problem)) {
    Remember(refused, problem);
    return refused;
  }
  std::shared_ptr<HidBackend> backend = OpenBackend();
  if (!backend) {
    Remember(kHidErrNotOpen, "");
    return kHidErrNotOpen;
  }
  // Outside the library lock: a reader blocked in Read must not hold up a write.
  std::string error;
  int result = backend->Write(bytes, count, error);
  Remember(result, error);
  return result;
}

int HIDM_Read(unsigned char* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) {
    Remember(kHidErrArgument, "no buffer to read into");
    return kHidErrArgument;
  }
  std::shared_ptr<HidBackend> backend = OpenBackend();
  if (!backend) return 0;
  std::string error;
  int result = backend->Read(buffer, capacity, error);
  Remember(result, error);
  return result;
}

int HIDM_GetErrorDescript(int code, char* text, int capacity) {
  std::string description = BaseText(code);
  if (code < 0 && code == lastErrorCode && !lastErrorText.empty()) description += ": " + lastErrorText;
  if (text == nullptr || capacity <= 0) return 0;
  size_t length = std::min(description.size(), static_cast<size_t>(capacity - 1));
  std::memcpy(text, description.data(), length);
  text[length] = '\0';
  return static_cast<int>(length);
}

int LastHidError() { return lastErrorCode; }

void HIDM_Uninit() {
  std::lock_guard lock(Lib().mutex);
  if (Lib().open) Lib().open->Close();
  Lib().open.reset();
}

}  // namespace kz::device
