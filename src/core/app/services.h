#pragma once
// What the program is made of at run time, made once at start and passed down: the database
// connection, the desktop's pointer settings, the mouse (its HID backend and the writer that
// talks to it), the dispatcher to the owning thread, the session values, the clock and the
// profile session over the page models. Nothing of it is a hidden process-wide singleton, so a
// test builds its own with fakes and never reaches the real desktop, mouse or home folder.
#include <memory>

#include "base/clock.h"
#include "base/dispatcher.h"
#include "base/session.h"
#include "device/hidm.h"
#include "device/write_sequence.h"
#include "honor/usage_counters.h"
#include "profile/profile_session.h"
#include "settings/pointer_settings.h"
#include "store/database.h"

namespace kz::app {

struct ServiceParts {
  ProcessValues values;
  Dispatcher* dispatcher = nullptr;  // required
  // Installed as the HID layer's backend for the services' life; nullptr leaves the HID layer as
  // it is.
  std::shared_ptr<device::HidBackend> backend;
  // nullptr keeps the pointer settings in memory.
  std::shared_ptr<settings::PointerSettings> pointer;
  // nullptr gives a writer thread over the command channel (device::DeviceWriter).
  std::unique_ptr<device::SequenceWriter> writer;
  Clock clock;
  profile::ProfileSession::Options pages;
};

class Services {
 public:
  explicit Services(ServiceParts parts);
  // Finishes the writer's queue before the backend goes.
  ~Services();
  Services(const Services&) = delete;
  Services& operator=(const Services&) = delete;

  const ProcessValues values;
  Dispatcher& dispatcher;
  const std::shared_ptr<device::HidBackend> backend;
  const std::shared_ptr<settings::PointerSettings> pointer;
  const Clock clock;
  store::Database db;
  Session session;

  device::SequenceWriter& Writer() { return *writer_; }
  profile::ProfileSession& Profiles() { return *profiles_; }
  // The statistics page's usage counters; in the profile session's walks (slot kCounterSlot)
  // when the pages reach that slot.
  honor::UsageCounters& Counters() { return counters_; }
  static constexpr int kCounterSlot = 5;

 private:
  std::unique_ptr<device::SequenceWriter> writer_;
  honor::UsageCounters counters_;
  std::unique_ptr<profile::ProfileSession> profiles_;
};

enum class StoreResult { kOk, kNoDatabase, kNoUser };

// Opens (or creates) the database in the services' data folder with the given busy time-out, and
// starts as its current user: the session's user and firmware version, the active profile. The
// user has been told of a database that cannot be opened (kNoDatabase); kNoUser leaves the
// defaults in place, logs why and keeps the reason as the database's last error.
StoreResult OpenStoreAndUser(Services& services, int busyTimeoutMs);

// The desktop's pointer settings of a program run: the desktop's own (or a file in the data
// folder), touched only when a value changes.
std::shared_ptr<settings::PointerSettings> DesktopPointerSettingsFor(const std::string& dataDir);

}  // namespace kz::app
