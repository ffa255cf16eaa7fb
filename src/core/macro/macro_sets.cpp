#include "macro/macro_sets.h"

#include "macro/macro_store.h"
#include "store/schema.h"

namespace kz::macro {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Sets and macros are read alike: ID, name and GUID, only at other column positions.
template <typename Row>
std::vector<Row> ReadRows(store::Recordset& rs, int nameColumn, int guidColumn) {
  std::vector<Row> rows;
  for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
    Row row;
    rs.GetFieldValue(0, row.id);
    rs.GetFieldValue(nameColumn, row.name);
    rs.GetFieldValue(guidColumn, row.guid);
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<MacroRow> ReadMacros(store::Recordset& rs) { return ReadRows<MacroRow>(rs, kColMacroName, kColMacroGuid); }
std::vector<MacroSetRow> ReadSets(store::Recordset& rs) { return ReadRows<MacroSetRow>(rs, kColSetName, kColSetGuid); }

}  // namespace

std::string TrimName(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

int CharacterCount(std::string_view text) {
  int count = 0;
  for (size_t i = 0; i < text.size(); ++count) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    size_t next = i + 1;
    while (next < i + length && next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
    i = next;
  }
  return count;
}

MacroSets::MacroSets(store::Database& db, std::string user) : db_(db), user_(std::move(user)) {}

void MacroSets::SelectSet(long long setId) {
  current_ = MacroSetRow{setId, {}, {}};
  Refresh();
}

void MacroSets::Refresh() {
  macros_.clear();
  store::Recordset set(db_);
  if (!set.Open("select * from macro_set2 where id=?", {current_.id}) || set.GetRecordCount() == 0) {
    current_ = MacroSetRow{};
    return;
  }
  set.MoveFirst();
  set.GetFieldValue(kColSetName, current_.name);
  set.GetFieldValue(kColSetGuid, current_.guid);
  if (current_.guid.empty()) return;
  store::Recordset macros(db_);
  if (macros.Open("select * from macro_set_detail2 where mset_guid=? order by macro_name", {current_.guid}))
    macros_ = ReadMacros(macros);
}

NameResult MacroSets::CheckName(const std::string& name) const {
  if (name.empty()) return NameResult::kEmpty;
  if (CharacterCount(name) > kMaxNameCharacters) return NameResult::kTooLong;
  return NameResult::kAdded;
}

NameResult MacroSets::CreateSet(std::string_view text) {
  const std::string name = TrimName(text);
  if (NameResult check = CheckName(name); check != NameResult::kAdded) return check;
  if (FindSet(name)) return NameResult::kExists;
  const std::string guid = store::NewGuidText();
  if (!db_.Execute("insert into macro_set2(user_name, mset_name, mset_guid) values (?, ?, ?)", {user_, name, guid}))
    return NameResult::kFailed;
  SelectSet(db_.LastInsertId());
  return NameResult::kAdded;
}

bool MacroSets::DeleteCurrentSet() {
  if (current_.id <= 0) return false;
  const bool deleted = db_.Execute("delete from macro_set2 where ID=?", {current_.id});
  current_ = MacroSetRow{};
  macros_.clear();
  return deleted;
}

NameResult MacroSets::CreateMacro(std::string_view text, long long* macroId) {
  if (current_.id <= 0) return NameResult::kNoSet;
  const std::string name = TrimName(text);
  if (NameResult check = CheckName(name); check != NameResult::kAdded) return check;
  if (FindMacro(name)) return NameResult::kExists;
  if (!db_.Execute("insert into macro_set_detail2(user_name, mset_guid, macro_guid, macro_name, macro_repeat) "
                   "values (?, ?, ?, ?, 1)",
                   {user_, current_.guid, store::NewGuidText(), name}))
    return NameResult::kFailed;
  const long long id = db_.LastInsertId();
  if (macroId) *macroId = id;
  Refresh();
  return NameResult::kAdded;
}

bool MacroSets::DeleteMacro(long long macroId) {
  const bool deleted = db_.Execute("delete from macro_set_detail2 where ID=?", {macroId});
  Refresh();
  return deleted;
}

std::vector<MacroSetRow> MacroSets::UserSets() const {
  store::Recordset rs(db_);
  if (!rs.Open("select * from macro_set2 where user_name=?", {user_})) return {};
  return ReadSets(rs);
}

std::vector<MacroRow> MacroSets::MacrosOfSet(const std::string& setGuid) const {
  store::Recordset rs(db_);
  if (!rs.Open("select * from macro_set_detail2 where mset_guid=?", {setGuid})) return {};
  return ReadMacros(rs);
}

std::optional<MacroSetRow> MacroSets::FindSet(std::string_view text) const {
  store::Recordset rs(db_);
  if (!rs.Open("select * from macro_set2 where mset_name=? and user_name=?", {TrimName(text), user_})) return {};
  std::vector<MacroSetRow> rows = ReadSets(rs);
  if (rows.empty()) return std::nullopt;
  return rows.front();
}

std::optional<MacroRow> MacroSets::FindMacro(std::string_view text) const {
  store::Recordset rs(db_);
  if (!rs.Open("select * from macro_set_detail2 where macro_name=? and user_name=?", {TrimName(text), user_}))
    return {};
  std::vector<MacroRow> rows = ReadMacros(rs);
  if (rows.empty()) return std::nullopt;
  return rows.front();
}

}  // namespace kz::macro
