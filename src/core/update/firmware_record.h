#pragma once
// Keeping a flashed firmware version: the session's firmware version and kz_global.hard_ver.
#include <string>

#include "base/session.h"
#include "store/database.h"

namespace kz::update {

// Sets the firmware version of the session and hard_ver of kz_global's first row. False when the
// row could not be written (the session still has the version). Owning thread only.
bool RecordFlashedFirmware(store::Database& db, Session& session, const std::string& version);

}  // namespace kz::update
