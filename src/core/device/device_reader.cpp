#include "device/device_reader.h"

#include "base/log.h"
#include "device/channel.h"
#include "device/hidm.h"

#include <chrono>
#include <cstring>

namespace kz::device {
namespace {

constexpr int kReportBufferSize = 1024;
constexpr int kErrorTextSize = 1024;

}  // namespace

DeviceReader::DeviceReader(StatusCallback onStatus, EndCallback onEnd)
    : onStatus_(std::move(onStatus)), onEnd_(std::move(onEnd)) {}

DeviceReader::~DeviceReader() {
  Stop();
  Join();
}

bool DeviceReader::Start() {
  std::unique_lock lock(mutex_);
  if (running_) return false;
  // The previous thread has finished its work; reap it before starting the next one.
  std::thread previous = std::move(thread_);
  lock.unlock();
  if (previous.joinable()) previous.join();
  lock.lock();
  if (running_ || thread_.joinable()) return false;  // another Start got in meanwhile
  stopping_ = false;
  running_ = true;
  thread_ = std::thread(&DeviceReader::Run, this);
  return true;
}

bool DeviceReader::IsRunning() const {
  std::lock_guard lock(mutex_);
  return running_;
}

void DeviceReader::Stop() {
  std::lock_guard lock(mutex_);
  if (!running_) return;
  stopping_ = true;
  CloseConnection();
}

void DeviceReader::Join() {
  std::unique_lock lock(mutex_);
  // A sender on another thread may reopen the connection just after Stop closed it, before the
  // reader went back into its read; closing again covers that, so a stopped reader always ends.
  while (running_) {
    if (ended_.wait_for(lock, std::chrono::milliseconds(200), [this] { return !running_; })) break;
    if (stopping_) CloseConnection();
  }
  std::thread thread = std::move(thread_);
  lock.unlock();
  if (thread.joinable()) thread.join();
}

void DeviceReader::Run() {
  SendCommandText("03F9");
  Log("send 03f9");
  unsigned char buffer[kReportBufferSize];
  for (;;) {
    std::memset(buffer, 0, sizeof buffer);
    Log("wait for hid");
    {
      // Checked together with opening, so that Stop cannot slip in between and be undone.
      std::lock_guard lock(mutex_);
      if (stopping_) break;
      OpenConnection();
    }
    int n = HIDM_Read(buffer, kReportBufferSize);
    Log("hid ret bytes:%d", n);
    if (n < 0) {
      char text[kErrorTextSize] = "";
      HIDM_GetErrorDescript(n, text, kErrorTextSize);
      Log("hid err:%s", text);
    } else if (n > 0) {
      Log("%s", HexDumpLower(buffer, n).c_str());
      if (buffer[0] == 0x03) {
        if (auto report = StatusReport::Decode(buffer, n)) {
          if (onStatus_) onStatus_(*report);
        } else {
          Log("status report of %d bytes is too short, ignored", n);
        }
      }
    }
    if (n <= 0) break;
  }
  CloseConnection();
  {
    std::lock_guard lock(mutex_);
    running_ = false;
  }
  ended_.notify_all();
  if (onEnd_) onEnd_();
}

}  // namespace kz::device
