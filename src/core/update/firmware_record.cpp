#include "update/firmware_record.h"

#include "base/log.h"

namespace kz::update {

bool RecordFlashedFirmware(store::Database& db, Session& session, const std::string& version) {
  session.SetFirmwareVersion(version);
  if (!db.IsOpen()) return false;
  bool ok = db.Execute("update kz_global set hard_ver=? where rowid=(select min(rowid) from kz_global)", {version});
  if (!ok) Log("hard_ver not saved: %s", db.GetLastErrorString().c_str());
  return ok;
}

}  // namespace kz::update
