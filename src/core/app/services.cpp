#include "app/services.h"

#include "base/log.h"
#include "device/device_writer.h"
#include "settings/applied_pointer_settings.h"
#include "settings/desktop_pointer_settings.h"
#include "store/schema.h"
#include "store/users.h"

namespace kz::app {

Services::Services(ServiceParts parts)
    : values(std::move(parts.values)),
      dispatcher(*parts.dispatcher),
      backend(std::move(parts.backend)),
      pointer(parts.pointer ? std::move(parts.pointer) : std::make_shared<settings::InMemoryPointerSettings>()),
      clock(std::move(parts.clock)),
      writer_(parts.writer ? std::move(parts.writer)
                           : std::make_unique<device::DeviceWriter>(device::ChannelLink(), dispatcher)) {
  if (backend) device::InstallBackend(backend);
  profiles_ = std::make_unique<profile::ProfileSession>(db, session, pointer, *writer_, parts.pages);
  if (profiles_->HasPage(kCounterSlot)) profiles_->SetSlotModel(kCounterSlot, &counters_);
}

Services::~Services() {
  profiles_.reset();
  writer_.reset();
  if (backend && device::CurrentBackend() == backend) device::InstallBackend(nullptr);
}

StoreResult OpenStoreAndUser(Services& services, int busyTimeoutMs) {
  const ProcessValues& values = services.values;
  if (!store::OpenOrCreate(services.db, values.dataDir, values.programDir, values.softwareVersion,
                           kDefaultFirmwareVersion))
    return StoreResult::kNoDatabase;
  services.db.SetBusyTimeout(busyTimeoutMs);
  store::CurrentUser user;  // the local user is never synchronised: its sync version stays 0
  const bool loaded = store::LoadCurrentUser(services.db, store::kPlaceholderPassword, user);
  services.session.Update([&](SessionValues& v) {
    v.userName = user.userName;
    v.firmwareVersion = user.firmwareVersion;
  });
  services.Profiles().SetActiveProfile(user.activeProfile);
  if (loaded) return StoreResult::kOk;
  // The reason stays the database's last error for the caller to show.
  Log("cannot load the current user: %s", services.db.GetLastErrorString().c_str());
  return StoreResult::kNoUser;
}

std::shared_ptr<settings::PointerSettings> DesktopPointerSettingsFor(const std::string& dataDir) {
  return std::make_shared<settings::AppliedPointerSettings>(
      std::make_shared<settings::DesktopPointerSettings>(dataDir + settings::kPointerSettingsFileName));
}

}  // namespace kz::app
