#include "heavy_user.h"

#include "store/schema.h"

namespace kztest {

using kz::store::Database;
using kz::store::Recordset;
using kz::store::Value;

const char* const kDocumentTables[5] = {"kz_user", "main2", "macro_set2", "macro_set_detail2", "kz_honor"};

bool MakeDatabase(const std::string& path, Database& db) {
  if (!kz::store::CreateDatabase(path, "1.17", "0.3")) return false;
  if (!db.Open(path)) return false;
  return kz::store::Migrate(db);
}

namespace {

// Levels of honor types 1 to 7, and one level each of 8 and 9, which only come with downloads.
constexpr int kHonorLevels[] = {5, 4, 6, 5, 4, 3, 3, 1, 1};

std::string MacroValue(int macro, int events) {
  std::string value;
  for (int e = 0; e < events; ++e) {
    const int key = 0x41 + (macro + e / 2) % 26;
    value += std::to_string(e % 6 == 5 ? 0 : key) + "," + std::to_string(e % 2 == 0 ? 1 : 0) + "," +
             std::to_string(10 + (macro * 7 + e) % 300) + ";";
  }
  return value;
}

}  // namespace

bool AddHeavyUser(Database& db, const std::string& user, const std::string& password, const HeavyUserShape& shape) {
  kz::store::Transaction transaction(db);
  if (!transaction.Active()) return false;
  bool ok = db.Execute(
      "insert into kz_user (user_name,user_pwd,mouse_left,mouse_right,mouse_middle,wheel_up,wheel_down,"
      "move_distance,profile_active,sync_last,my_score,my_level,online_time_min,login_time,login_days,"
      "signin_count,update_time,share_count,invite_count) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
      {user, password, 12000000LL, 3400000LL, 560000LL, 98765LL, 43210LL, 987654321LL, 3LL, 41LL, 1000LL, 9LL,
       600000LL, 1765000000LL, 400LL, 1000LL, 1764000000LL, 150LL, 7LL});

  std::vector<std::string> setGuids, macroGuids;
  for (int s = 0; s < shape.macroSets; ++s) setGuids.push_back(kz::store::NewGuidText());
  for (int m = 0; m < shape.macros; ++m) macroGuids.push_back(kz::store::NewGuidText());

  const std::vector<std::string>& columns = kz::store::ProfileColumns();
  for (int p = 1; ok && p <= shape.profiles; ++p) {
    std::string names, marks;
    std::vector<Value> params;
    for (size_t c = 1; c < columns.size(); ++c) {  // every column but ID
      const std::string& name = columns[c];
      names += (names.empty() ? "" : ",") + name;
      marks += marks.empty() ? "?" : ",?";
      if (name == "user_name") params.emplace_back(user);
      else if (name == "profile_id") params.emplace_back(static_cast<long long>(p));
      else if (name.find("marco_id") != std::string::npos)
        params.emplace_back(macroGuids.empty() ? std::string() : macroGuids[(p * 13 + c) % macroGuids.size()]);
      else params.emplace_back(static_cast<long long>((p * 97 + static_cast<long long>(c) * 31) % 8200));
    }
    ok = db.Execute("insert into main2 (" + names + ") values (" + marks + ")", params);
  }
  for (int s = 0; ok && s < shape.macroSets; ++s)
    ok = db.Execute("insert into macro_set2 (user_name,mset_name,mset_guid) values (?,?,?)",
                    {user, "套装 " + std::to_string(s + 1), setGuids[static_cast<size_t>(s)]});
  for (int m = 0; ok && m < shape.macros; ++m)
    ok = db.Execute(
        "insert into macro_set_detail2 (user_name,mset_guid,macro_guid,macro_name,macro_value,macro_repeat,"
        "repeat_sel) values (?,?,?,?,?,?,?)",
        {user, setGuids.empty() ? std::string() : setGuids[static_cast<size_t>(m % shape.macroSets)],
         macroGuids[static_cast<size_t>(m)], "宏 macro " + std::to_string(m + 1),
         MacroValue(m, shape.eventsPerMacro), static_cast<long long>(1 + m % 255), static_cast<long long>(m % 2)});
  for (int type = 1; ok && type <= 9; ++type)
    for (int level = 1; ok && level <= kHonorLevels[type - 1]; ++level)
      ok = db.Execute("insert into kz_honor (user_name,honor_type,honor_level,create_time) values (?,?,?,?)",
                      {user, static_cast<long long>(type), static_cast<long long>(level),
                       1700000000LL + type * 100000 + level});
  return ok && transaction.Commit();
}

std::vector<RowContent> UserRows(Database& db, const std::string& table, const std::string& user,
                                 const std::vector<std::string>& skip) {
  std::vector<RowContent> rows;
  Recordset rs(db);
  if (!rs.Open("select * from " + table + " where user_name=? order by ID", {user})) return rows;
  for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
    RowContent row;
    for (int i = 0; i < rs.GetFieldCount(); ++i) {
      const std::string name = rs.GetFieldName(i);
      bool skipped = name == "ID";
      for (const std::string& s : skip) skipped = skipped || s == name;
      if (skipped) continue;
      const Value value = rs.GetValue(i);
      if (std::holds_alternative<std::monostate>(value)) row[name] = "<NULL>";
      else if (const auto* n = std::get_if<long long>(&value)) row[name] = "int:" + std::to_string(*n);
      else row[name] = "text:" + std::get<std::string>(value);
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::map<std::string, int> UserRowCounts(Database& db, const std::string& user) {
  std::map<std::string, int> counts;
  for (const char* table : kDocumentTables) counts[table] = static_cast<int>(UserRows(db, table, user).size());
  return counts;
}

}  // namespace kztest
