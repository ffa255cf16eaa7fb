#pragma once
// Which main2 row a settings model reads and writes, and small helpers for its columns.
#include <optional>
#include <string>

#include "store/database.h"
#include "store/users.h"

namespace kz::settings {

struct ProfileKey {
  std::string user;
  int profile = 1;

  // Profile 0 is what the process holds before a user is loaded; no row may be made for it.
  bool IsValid() const { return !user.empty() && profile >= 1 && profile <= store::kProfileCount; }
};

// What reading a profile row came to. Only kNoRow means "not stored yet": a row that could not
// be read (kFailed) must never be shown or written over as if it held the factory values.
enum class LoadResult { kLoaded, kNoRow, kFailed };

// Opens the key's main2 row for reading, positioned on it (kLoaded). kNoRow when the key is not
// valid or the profile has no row; kFailed, with the reason in the database's last error, when
// the query fails or main2 lacks a column of the schema.
LoadResult OpenStoredProfileRow(store::Recordset& rs, const ProfileKey& key);
// Opens the key's main2 row for writing, adding it when missing; false when the key is not valid
// or the row cannot be opened (the database's last error says why, for a valid key).
bool OpenProfileRowForSave(store::Recordset& rs, const ProfileKey& key);

// An integer column of the current row, or nothing when the column is missing or NULL. A row
// made by another page holds NULL in the columns this page owns until it saves.
std::optional<long long> IntColumn(const store::Recordset& rs, const std::string& name);
// The column's value brought into [low, high], or `fallback` when it is NULL or missing.
int IntColumnIn(const store::Recordset& rs, const std::string& name, int fallback, int low, int high);

}  // namespace kz::settings
