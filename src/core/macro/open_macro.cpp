#include "macro/open_macro.h"

#include <algorithm>

#include "macro/macro_store.h"

namespace kz::macro {

bool OpenMacro::Load(long long macroId, long long setId, const std::string& setGuid) {
  Save();
  macroId_ = macroId;
  setId_ = setId;
  setGuid_ = setGuid;
  events_.clear();

  StoredMacro stored;
  if (!ReadStoredMacroById(db_, macroId, stored)) return false;
  // The count arrives in range, so saving never writes one the field would refuse.
  repeatCount_ = stored.repeatCount;
  repeatOn_ = stored.repeatOn;
  events_ = std::move(stored.events);
  return true;
}

bool OpenMacro::Save() {
  if (macroId_ == 0) return false;
  return db_.Execute("update macro_set_detail2 set macro_value=?, macro_repeat=?, repeat_sel=? where ID=?",
                     {FormatMacroValue(events_), static_cast<long long>(repeatCount_), repeatOn_ ? 1LL : 0LL, macroId_});
}

bool OpenMacro::SetRepeatCount(int count) {
  if (count < kMinPlays || count > kMaxPlays) return false;
  repeatCount_ = count;
  return true;
}

bool OpenMacro::SetRepeatCountText(std::string_view text) {
  std::optional<int> count = ParseRepeatCount(text);
  return count && SetRepeatCount(*count);
}

std::optional<int> OpenMacro::ParseRepeatCount(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace kz::macro
