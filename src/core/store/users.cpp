#include "store/users.h"

#include "store/schema.h"

namespace kz::store {

bool LoadCurrentUser(Database& db, const std::string& password, CurrentUser& app) {
  std::string schemaVersion;
  {
    Recordset global(db);
    if (!global.Open("kz_global")) return false;
    if (global.GetRecordCount() == 0) {
      db.SetLastError("no kz_global row");
      return false;
    }
    global.GetFieldValue(2, app.firmwareVersion);
    global.GetFieldValue(3, schemaVersion);
    std::string lastUser;
    global.GetFieldValue(4, lastUser);
    app.userName = lastUser.empty() ? std::string(kLocalUserName) : lastUser;
  }
  if (schemaVersion == "1.0") Migrate(db);

  Recordset user(db);
  if (!user.Open("select * from kz_user where user_name=?", {app.userName})) return false;
  if (user.GetRecordCount() > 0) {
    user.GetFieldValue(9, app.activeProfile);
    user.GetFieldValue("sync_last", app.syncLast);
  } else {
    if (!user.AddNew()) return false;
    user.SetFieldValue(1, app.userName);
    user.SetFieldValue(2, password);
    for (int position = 3; position <= 8; ++position) user.SetFieldValue(position, 0LL);
    user.SetFieldValue(9, 1LL);
    user.SetFieldValue(10, 0LL);
    if (!user.Update()) return false;
    app.activeProfile = 1;
  }
  if (app.activeProfile < 1 || app.activeProfile > kProfileCount) app.activeProfile = 1;
  return true;
}

bool OpenProfileRow(Recordset& rs, int profile, const std::string& user) {
  return rs.Open("select * from main2 where profile_id=? and user_name=?", {static_cast<long long>(profile), user});
}

bool EditOrAddProfileRow(Recordset& rs, int profile, const std::string& user) {
  if (!OpenProfileRow(rs, profile, user)) return false;
  if (rs.GetRecordCount() > 0) {
    rs.MoveFirst();
    return rs.Edit();
  }
  if (!rs.AddNew()) return false;
  rs.SetFieldValue(1, user);
  rs.SetFieldValue(2, static_cast<long long>(profile));
  return true;
}

bool RememberAtExit(Database& db, const std::string& userName, int activeProfile) {
  bool ok = db.Execute("update kz_global set last_user=?", {userName});
  return db.Execute("update kz_user set profile_active=?", {static_cast<long long>(activeProfile)}) && ok;
}

}  // namespace kz::store
