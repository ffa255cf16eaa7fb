#include "base/app_state.h"

namespace kz {

void AppState::ResetDefaults() {
  userName = kLocalUserName;
  softwareVersion = kSoftwareVersion;
  firmwareVersion = kDefaultFirmwareVersion;
  activeProfile = 0;
}

AppState& App() {
  static AppState state;
  return state;
}

}  // namespace kz
