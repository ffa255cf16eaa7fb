#pragma once
// The current user and the profile rows: which user and profile the program starts on, the
// user's kz_user row, and the main2 row of (user, profile) every settings page reads and writes.
#include <string>

#include "base/constants.h"
#include "store/database.h"

namespace kz::store {

inline constexpr int kProfileCount = 5;
// Password text of the local user's row made at start-up; the local user never logs in.
inline constexpr const char* kPlaceholderPassword = "*";

// Who the program starts as.
struct CurrentUser {
  std::string userName = kz::kLocalUserName;
  std::string firmwareVersion = kz::kDefaultFirmwareVersion;
  int activeProfile = 1;
  long long syncLast = 0;  // the row's sync_last; 0 for a new row
};

// Reads kz_global (firmware version, schema version, last user), migrates a "1.0" schema, then
// loads or adds the current user's kz_user row and takes its active profile (outside 1..5 gives
// 1). False when there is no global row ("no kz_global row") or a query fails, with the reason in
// the database's last error; `user` then holds what was read so far.
bool LoadCurrentUser(Database& db, const std::string& password, CurrentUser& user);

// Opens the main2 row of `profile` for `user` ("select * from main2 where profile_id=? and
// user_name=?"). True when the query ran; the row count tells whether the row exists.
bool OpenProfileRow(Recordset& rs, int profile, const std::string& user);

// Opens the row of (profile, user) for writing: edits the existing row, or adds one with
// user_name and profile_id set. False when neither is possible.
bool EditOrAddProfileRow(Recordset& rs, int profile, const std::string& user);

// Written at exit: kz_global.last_user, and profile_active of every kz_user row (every row on
// purpose: the next user to log in starts on the same profile).
bool RememberAtExit(Database& db, const std::string& userName, int activeProfile);

}  // namespace kz::store
