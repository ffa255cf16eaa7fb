#include "settings/profile_key.h"

#include <algorithm>

#include "store/schema.h"
#include "store/users.h"

namespace kz::settings {

namespace {

// A table that lost columns (edited by hand, or damaged) reads them as missing, which the pages
// would take for NULL and show factory values for; refuse it instead.
bool HasEveryColumn(const store::Recordset& rs) {
  for (const std::string& column : store::ProfileColumns()) {
    if (rs.FieldIndex(column) < 0) {
      rs.Db().SetLastError("main2 has no column " + column);
      return false;
    }
  }
  return true;
}

}  // namespace

LoadResult OpenStoredProfileRow(store::Recordset& rs, const ProfileKey& key) {
  if (!key.IsValid()) return LoadResult::kNoRow;
  if (!store::OpenProfileRow(rs, key.profile, key.user) || !HasEveryColumn(rs)) return LoadResult::kFailed;
  if (rs.GetRecordCount() == 0) return LoadResult::kNoRow;
  rs.MoveFirst();
  return LoadResult::kLoaded;
}

bool OpenProfileRowForSave(store::Recordset& rs, const ProfileKey& key) {
  return key.IsValid() && store::EditOrAddProfileRow(rs, key.profile, key.user) && HasEveryColumn(rs);
}

std::optional<long long> IntColumn(const store::Recordset& rs, const std::string& name) {
  int position = rs.FieldIndex(name);
  if (position < 0) return std::nullopt;
  store::Value value = rs.GetValue(position);
  if (std::holds_alternative<std::monostate>(value)) return std::nullopt;
  long long number = 0;
  rs.GetFieldValue(position, number);
  return number;
}

int IntColumnIn(const store::Recordset& rs, const std::string& name, int fallback, int low, int high) {
  std::optional<long long> value = IntColumn(rs, name);
  if (!value) return fallback;
  return static_cast<int>(std::clamp<long long>(*value, low, high));
}

}  // namespace kz::settings
