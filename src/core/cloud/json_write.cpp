#include "cloud/json_write.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "cloud/json_text.h"
#include "cloud/text_codec.h"

namespace kz::cloud {
namespace {

// What a member reads as when the document lacks it: the marks that keep a column's default.
constexpr const char* kMissingInteger = "-9999";
constexpr long long kKeepDefault = -9999;
constexpr const char* kMissingText = "null";

bool SameName(const std::string& a, const char* b) {
  const std::string other = b;
  return a.size() == other.size() && std::equal(a.begin(), a.end(), other.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

std::string Quoted(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

bool JsonWrite::Fail(std::string problem) {
  problem_ = std::move(problem);
  return false;
}

const std::vector<store::FieldInfo>* JsonWrite::Columns(const std::string& table) {
  if (columnsOf_ == table && !columns_.empty()) return &columns_;
  // Only the column list is wanted, not the rows.
  store::Recordset rs(db_);
  if (!rs.Open("select * from " + table + " where 0")) return nullptr;
  columns_.clear();
  for (int i = 0; i < rs.GetFieldCount(); ++i) {
    store::FieldInfo info;
    rs.GetFieldInfo(i, info);
    columns_.push_back(info);
  }
  columnsOf_ = table;
  return &columns_;
}

bool JsonWrite::InsertRow(const Json::Value& value, const std::string& table, const std::string& userName,
                          int firstColumn) {
  const std::string row = std::string(TableKey()) + " row " + std::to_string(rowsInserted_ + 1);
  if (!value.isObject()) return Fail(row + " is not an object");
  const std::vector<store::FieldInfo>* columns = Columns(table);
  if (!columns) return Fail("cannot open " + table + ": " + db_.GetLastErrorString());
  std::string names = Quoted("user_name");
  std::string marks = "?";
  std::vector<store::Value> params{userName};
  for (size_t position = static_cast<size_t>(std::max(firstColumn, 0)); position < columns->size(); ++position) {
    const store::FieldInfo& column = (*columns)[position];
    // The key and the owner are the local database's, whatever the document says.
    if (SameName(column.name, "ID") || SameName(column.name, "user_name")) continue;
    const bool integer = column.type == store::kTypeInteger;
    std::string text;
    if (const Json::Value* member = Member(value, column.name)) {
      if (!ReadText(*member, text)) return Fail(row + ": \"" + column.name + "\" is neither a text nor a number");
    } else {
      text = integer ? kMissingInteger : kMissingText;
    }
    store::Value cell;
    if (integer) {
      const long long number = LeadingInteger(text);
      if (number == kKeepDefault) continue;
      // The columns hold 4-byte integers.
      cell = std::clamp<long long>(number, INT_MIN, INT_MAX);
    } else {
      if (text == kMissingText) continue;
      cell = std::move(text);
    }
    names += "," + Quoted(column.name);
    marks += ",?";
    params.push_back(std::move(cell));
  }
  if (!db_.Execute("insert into " + Quoted(table) + " (" + names + ") values (" + marks + ")", params))
    return Fail(row + " cannot be stored: " + db_.GetLastErrorString());
  ++rowsInserted_;
  return true;
}

bool JsonWriteUser::Apply(const Json::Value& value, const std::string& userName) {
  std::string savedPassword;
  {
    store::Recordset rs(db_);
    if (!rs.Open("select * from kz_user where user_name=?", {userName}))
      return Fail("cannot read the user's row: " + db_.GetLastErrorString());
    if (rs.GetRecordCount() > 0) rs.GetFieldValue("user_pwd", savedPassword);
  }
  if (!db_.Execute("delete from kz_user where user_name=?", {userName}))
    return Fail("cannot delete the user's row: " + db_.GetLastErrorString());
  if (!InsertRow(value, "kz_user", userName, 3)) return false;
  if (!db_.Execute("update kz_user set user_pwd=? where user_name=?", {savedPassword, userName}))
    return Fail("cannot keep the user's password: " + db_.GetLastErrorString());
  return true;
}

bool JsonWriteRows::Apply(const Json::Value& value, const std::string& userName) {
  if (!value.isNull() && !value.isArray()) return Fail(std::string("\"") + key_ + "\" is neither a list nor null");
  if (!db_.Execute(std::string("delete from ") + table_ + " where user_name=?", {userName}))
    return Fail(std::string("cannot delete the rows of ") + table_ + ": " + db_.GetLastErrorString());
  for (const Json::Value& element : value)
    if (!InsertRow(element, table_, userName, 2)) return false;
  return true;
}

}  // namespace kz::cloud
