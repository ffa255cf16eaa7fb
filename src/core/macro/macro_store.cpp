#include "macro/macro_store.h"

#include <algorithm>

namespace kz::macro {

int PlaysOf(long long macroRepeat, long long repeatSel) {
  if (repeatSel == 0) return 1;
  return static_cast<int>(std::clamp<long long>(macroRepeat, kMinPlays, kMaxPlays));
}

namespace {

// The two ways a macro row is named; the statement text is fixed here, never taken from a caller.
bool ReadStoredMacroWhere(store::Database& db, const char* statement, const store::Value& key, StoredMacro& out) {
  store::Recordset rs(db);
  if (!rs.Open(statement, {key}) || rs.GetRecordCount() == 0) return false;
  rs.MoveFirst();
  std::string value;
  rs.GetFieldValue(kColMacroValue, value);
  long long repeat = 1, repeatSel = 0;
  // A NULL repeat count stands for the column default of 1.
  if (!std::holds_alternative<std::monostate>(rs.GetValue(kColMacroRepeat))) rs.GetFieldValue(kColMacroRepeat, repeat);
  rs.GetFieldValue(kColRepeatSel, repeatSel);
  out.events = ParseMacroValue(value);
  out.repeatCount = static_cast<int>(std::clamp<long long>(repeat, kMinPlays, kMaxPlays));
  out.repeatOn = repeatSel != 0;
  return true;
}

}  // namespace

bool ReadStoredMacroByGuid(store::Database& db, const std::string& macroGuid, StoredMacro& out) {
  return ReadStoredMacroWhere(db, "select * from macro_set_detail2 where macro_guid=?", macroGuid, out);
}

bool ReadStoredMacroById(store::Database& db, long long macroId, StoredMacro& out) {
  return ReadStoredMacroWhere(db, "select * from macro_set_detail2 where ID=?", macroId, out);
}

DeviceMacro LoadMacroForDevice(store::Database& db, const std::string& macroGuid) {
  DeviceMacro macro;
  StoredMacro stored;
  if (!ReadStoredMacroByGuid(db, macroGuid, stored)) return macro;
  macro.found = true;
  macro.events = std::move(stored.events);
  macro.plays = PlaysOf(stored.repeatCount, stored.repeatOn ? 1 : 0);
  return macro;
}

std::string MacroNameOf(store::Database& db, const std::string& macroGuid) {
  store::Recordset rs(db);
  std::string name;
  if (rs.Open("select * from macro_set_detail2 where macro_guid=?", {macroGuid}) && rs.GetRecordCount() > 0) {
    rs.MoveFirst();
    rs.GetFieldValue(kColMacroName, name);
  }
  return name;
}

std::string MacroGuidOfId(store::Database& db, long long macroId) {
  store::Recordset rs(db);
  std::string guid;
  if (rs.Open("select * from macro_set_detail2 where ID=?", {macroId}) && rs.GetRecordCount() > 0) {
    rs.MoveFirst();
    rs.GetFieldValue(kColMacroGuid, guid);
  }
  return guid;
}

}  // namespace kz::macro
