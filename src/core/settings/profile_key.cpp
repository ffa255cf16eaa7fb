#include "settings/profile_key.h"

#include <algorithm>

#include "store/users.h"

namespace kz::settings {

bool OpenStoredProfileRow(store::Recordset& rs, const ProfileKey& key) {
  if (!key.IsValid()) return false;
  if (!store::OpenProfileRow(rs, key.profile, key.user) || rs.GetRecordCount() == 0) return false;
  rs.MoveFirst();
  return true;
}

bool OpenProfileRowForSave(store::Recordset& rs, const ProfileKey& key) {
  return key.IsValid() && store::EditOrAddProfileRow(rs, key.profile, key.user);
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
