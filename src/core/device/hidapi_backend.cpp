#include "device/hidapi_backend.h"

#include "device/presence.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <hidapi/hidapi.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace kz::device {
namespace {

// hidapi keeps process-wide state (its initialisation, the enumeration list); one caller at a time.
// Never destroyed: a backend held by a static may still close its device during exit.
std::mutex& HidapiMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

constexpr unsigned short kVendorUsagePage = 0xFF00;

std::string Narrow(const wchar_t* text) {
  std::string out;
  if (text == nullptr) return out;
  for (; *text != 0; ++text) {
    auto c = static_cast<unsigned long>(*text);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | ((c >> 18) & 0x07));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace

struct HidapiBackend::Connection {
  std::string path;
  hid_device* writer = nullptr;
  int readFd = -1;
  int wakeFd = -1;
  std::mutex writeMutex;  // hid_device is not safe for two writers at once

  ~Connection() {
    if (writer != nullptr) {
      std::lock_guard lock(HidapiMutex());
      hid_close(writer);
    }
    if (readFd >= 0) ::close(readFd);
    if (wakeFd >= 0) ::close(wakeFd);
  }
};

HidapiBackend::HidapiBackend() = default;
HidapiBackend::~HidapiBackend() { Close(); }

std::shared_ptr<HidapiBackend::Connection> HidapiBackend::Current() const {
  std::lock_guard lock(mutex_);
  return connection_;
}

std::string HidapiBackend::OpenPath() const {
  auto connection = Current();
  return connection ? connection->path : std::string();
}

int HidapiBackend::Open(unsigned short vendorId, unsigned short productId, std::string& error) {
  std::lock_guard lock(mutex_);
  if (connection_) return 0;
  auto connection = std::make_shared<Connection>();
  {
    std::lock_guard hid(HidapiMutex());
    if (hid_init() != 0) {
      error = "hidapi cannot start: " + Narrow(hid_error(nullptr));
      return kHidErrOpen;
    }
    // A mouse may show several HID interfaces; the commands go to the vendor-page one.
    hid_device_info* list = hid_enumerate(vendorId, productId);
    for (hid_device_info* info = list; info != nullptr; info = info->next) {
      if (info->path == nullptr) continue;
      if (connection->path.empty() || info->usage_page == kVendorUsagePage) connection->path = info->path;
      if (info->usage_page == kVendorUsagePage) break;
    }
    hid_free_enumeration(list);
    if (connection->path.empty()) {
      error = "no hidraw node of the mouse";
      return kHidErrNoDevice;
    }
    connection->writer = hid_open_path(connection->path.c_str());
    if (connection->writer == nullptr) {
      error = connection->path + ": " + Narrow(hid_error(nullptr)) +
              " (is the udev rule 60-kzmouse.rules installed?)";
      return kHidErrOpen;
    }
  }
  connection->readFd = ::open(connection->path.c_str(), O_RDONLY | O_CLOEXEC);
  if (connection->readFd < 0) {
    error = connection->path + ": " + std::strerror(errno);
    return kHidErrOpen;
  }
  connection->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (connection->wakeFd < 0) {
    error = std::string("eventfd: ") + std::strerror(errno);
    return kHidErrOpen;
  }
  connection_ = std::move(connection);
  return 0;
}

void HidapiBackend::Close() {
  std::shared_ptr<Connection> connection;
  {
    std::lock_guard lock(mutex_);
    connection = std::move(connection_);
  }
  if (!connection) return;
  // Wakes a reader parked in poll(); the descriptors close when the last user lets go.
  uint64_t one = 1;
  ssize_t ignored = ::write(connection->wakeFd, &one, sizeof one);
  (void)ignored;
}

int HidapiBackend::Write(const unsigned char* bytes, int count, std::string& error) {
  if (int refused = CheckWriteArguments(bytes, count, error)) return refused;
  auto connection = Current();
  if (!connection) {
    error = "not open";
    return kHidErrNotOpen;
  }
  unsigned char report[kOutputReportLength] = {};
  std::memcpy(report, bytes, static_cast<size_t>(count));
  std::lock_guard lock(connection->writeMutex);
  int written = hid_write(connection->writer, report, sizeof report);
  if (written < 0) {
    error = Narrow(hid_error(connection->writer));
    // A node whose device is gone reports a hang-up for good, even when a new node of the same
    // name has appeared since.
    pollfd gone{connection->readFd, 0, 0};
    if (::access(connection->path.c_str(), F_OK) != 0 ||
        (::poll(&gone, 1, 0) > 0 && (gone.revents & (POLLHUP | POLLERR | POLLNVAL)))) {
      error = "device disconnected";
      return kHidErrNoDevice;
    }
    return kHidErrWrite;
  }
  return count;
}

int HidapiBackend::Read(unsigned char* buffer, int capacity, std::string& error) {
  auto connection = Current();
  if (!connection) return 0;
  pollfd fds[2] = {{connection->readFd, POLLIN, 0}, {connection->wakeFd, POLLIN, 0}};
  for (;;) {
    int ready = ::poll(fds, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) {
      error = std::string("poll: ") + std::strerror(errno);
      return kHidErrRead;
    }
    break;
  }
  if (fds[1].revents != 0) return 0;  // closed
  // A report already queued is still delivered; after that the node reports the unplug.
  if (!(fds[0].revents & POLLIN) && (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))) {
    error = "device disconnected";
    return kHidErrRead;
  }
  ssize_t n = ::read(connection->readFd, buffer, static_cast<size_t>(capacity));
  if (n < 0) {
    error = std::strerror(errno);
    return kHidErrRead;
  }
  return static_cast<int>(n);
}

std::vector<std::string> HidapiBackend::PresentIdentifiers() { return ScanMouseIdentifiers(); }

}  // namespace kz::device
