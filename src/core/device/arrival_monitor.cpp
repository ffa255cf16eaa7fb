#include "device/arrival_monitor.h"

#include "base/log.h"
#include "device/hidm.h"
#include "device/presence.h"
#include "device/sim_mouse.h"
#include "device/udev_identifier.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace kz::device {

// The simulator's plug events, counted in an eventfd. Shared with the observer the simulator keeps,
// so the descriptor stays valid while a Plug on another thread still holds a copy of it.
struct ArrivalMonitor::SimulatedSource {
  std::weak_ptr<SimulatedMouse> mouse;
  int observerId = 0;
  int fd = -1;
  ~SimulatedSource() {
    if (fd >= 0) ::close(fd);
  }
};

ArrivalMonitor::ArrivalMonitor(Callback onMouseArrival) : onMouseArrival_(std::move(onMouseArrival)) {}

ArrivalMonitor::~ArrivalMonitor() {
  if (simulated_) {
    if (auto mouse = simulated_->mouse.lock()) mouse->RemovePlugObserver(simulated_->observerId);
  }
  if (monitor_ != nullptr) udev_monitor_unref(monitor_);
  if (udev_ != nullptr) udev_unref(udev_);
}

bool ArrivalMonitor::Start() {
  if (Fd() >= 0) return true;
  if (auto mouse = std::dynamic_pointer_cast<SimulatedMouse>(CurrentBackend())) {
    auto source = std::make_shared<SimulatedSource>();
    source->fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (source->fd < 0) return false;
    source->mouse = mouse;
    std::weak_ptr<SimulatedSource> weak = source;
    source->observerId = mouse->AddPlugObserver([weak] {
      if (auto alive = weak.lock()) {
        uint64_t one = 1;
        ssize_t ignored = ::write(alive->fd, &one, sizeof one);
        (void)ignored;
      }
    });
    simulated_ = std::move(source);
    return true;
  }
  udev_ = udev_new();
  if (udev_ == nullptr) return false;
  monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
  if (monitor_ == nullptr || udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", "usb_device") < 0 ||
      udev_monitor_enable_receiving(monitor_) < 0) {
    if (monitor_ != nullptr) udev_monitor_unref(monitor_);
    monitor_ = nullptr;
    udev_unref(udev_);
    udev_ = nullptr;
    return false;
  }
  return true;
}

int ArrivalMonitor::Fd() const {
  if (simulated_) return simulated_->fd;
  return monitor_ != nullptr ? udev_monitor_get_fd(monitor_) : -1;
}

bool ArrivalMonitor::WaitForEvents(int timeoutMs) const {
  int fd = Fd();
  if (fd < 0) return false;
  pollfd p{fd, POLLIN, 0};
  int ready;
  do ready = ::poll(&p, 1, timeoutMs);
  while (ready < 0 && errno == EINTR);
  return ready > 0 && (p.revents & POLLIN);
}

int ArrivalMonitor::ProcessPendingEvents() {
  if (simulated_) return ProcessSimulated();
  if (monitor_ != nullptr) return ProcessUdev();
  return 0;
}

void ArrivalMonitor::Arrived(const std::string& identifier) {
  Log("mouse insert");
  if (onMouseArrival_) onMouseArrival_(identifier);
}

int ArrivalMonitor::ProcessUdev() {
  int arrivals = 0;
  // The monitor's socket does not block: this reads what is waiting and stops.
  while (udev_device* device = udev_monitor_receive_device(monitor_)) {
    const char* action = udev_device_get_action(device);
    if (action != nullptr && std::strcmp(action, "add") == 0) {
      std::string identifier = ArrivalPathToIdentifier(UsbArrivalPathOf(device));
      if (IsMouseIdentifier(identifier)) {
        ++arrivals;
        Arrived(identifier);
      }
    }
    udev_device_unref(device);
  }
  return arrivals;
}

int ArrivalMonitor::ProcessSimulated() {
  uint64_t count = 0;
  if (::read(simulated_->fd, &count, sizeof count) != static_cast<ssize_t>(sizeof count)) return 0;
  for (uint64_t i = 0; i < count; ++i) Arrived(SimulatedMouse::kIdentifier);
  return static_cast<int>(count);
}

}  // namespace kz::device
