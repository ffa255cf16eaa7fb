#include "cloud/sync_document.h"

#include <memory>

#include <json/writer.h>

#include "cloud/json_text.h"
#include "cloud/json_write.h"

namespace kz::cloud {
namespace {

struct RowTable {
  const char* key;
  const char* query;
};
constexpr RowTable kRowTables[] = {
    {"main", "select * from main2 where user_name=?"},
    {"macro_set", "select * from macro_set2 where user_name=?"},
    {"macro_set_detail", "select * from macro_set_detail2 where user_name=?"},
    {"kz_honor", "select * from kz_honor where user_name=?"},
};

// A NULL column travels as the mark that keeps a column's default ("-9999" for an integer, "null"
// for a text), so a column never stored stays unstored where the document is applied. Read as
// its text (0 or empty), it would come back as a stored 0 or "", which the pages take for a
// chosen value instead of their factory one.
Json::Value RowObject(const store::Recordset& rs, int firstColumn) {
  Json::Value row(Json::objectValue);
  std::string text;
  store::FieldInfo info;
  for (int position = firstColumn; position < rs.GetFieldCount(); ++position) {
    rs.GetFieldInfo(position, info);
    if (std::holds_alternative<std::monostate>(rs.GetValue(position)))
      text = info.type == store::kTypeInteger ? "-9999" : "null";
    else
      rs.GetFieldValue(position, text);
    row[info.name] = text;
  }
  return row;
}

bool SetProblem(std::string* problem, std::string text) {
  if (problem) *problem = std::move(text);
  return false;
}

}  // namespace

bool BuildSyncDocument(store::Database& db, const std::string& userName, Json::Value& document,
                       std::string* problem) {
  // One read transaction, so the tables are of one moment even while another program writes.
  const bool snapshot = db.BeginTransaction();
  struct EndRead {
    store::Database& db;
    bool active;
    ~EndRead() {
      if (active) db.RollbackTransaction();
    }
  } endRead{db, snapshot};

  Json::Value built(Json::objectValue);
  {
    store::Recordset rs(db);
    if (!rs.Open("select * from kz_user where user_name=?", {userName}))
      return SetProblem(problem, "cannot read kz_user: " + db.GetLastErrorString());
    if (rs.GetRecordCount() > 0) built[kDocumentUser] = RowObject(rs, 3);
  }
  for (const RowTable& table : kRowTables) {
    store::Recordset rs(db);
    if (!rs.Open(table.query, {userName}))
      return SetProblem(problem, std::string("cannot read the rows of ") + table.key + ": " + db.GetLastErrorString());
    Json::Value rows;  // null until the first row
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) rows.append(RowObject(rs, 2));
    built[table.key] = std::move(rows);
  }
  document = std::move(built);
  return true;
}

std::string WriteSyncDocument(const Json::Value& document) {
  Json::StyledWriter writer;
  return writer.write(document);
}

bool BuildSyncDocumentText(store::Database& db, const std::string& userName, std::string& text,
                           std::string* problem) {
  Json::Value document;
  if (!BuildSyncDocument(db, userName, document, problem)) return false;
  text = WriteSyncDocument(document);
  return true;
}

bool ParseSyncDocument(const std::string& text, Json::Value& document, std::string* problem) {
  Json::Value root;
  std::string why;
  if (!ParseJson(text, root, &why)) return SetProblem(problem, "not a JSON document: " + why);
  if (!root.isObject()) return SetProblem(problem, "not a sync document: the JSON text is no object");
  document = std::move(root);
  return true;
}

std::string DocumentUserName(const Json::Value& document) {
  const Json::Value* user = Member(document, kDocumentUser);
  const Json::Value* name = user ? Member(*user, kDocumentUserName) : nullptr;
  std::string text;
  if (!name || !ReadText(*name, text)) return std::string();
  return text;
}

bool ApplySyncDocument(store::Database& db, const Json::Value& document, std::string* problem) {
  const std::string userName = DocumentUserName(document);
  if (userName.empty()) return SetProblem(problem, "the document names no user (kz_user.user_name)");
  return ApplySyncDocumentTo(db, document, userName, problem);
}

bool ApplySyncDocumentTo(store::Database& db, const Json::Value& document, const std::string& userName,
                         std::string* problem) {
  if (userName.empty()) return SetProblem(problem, "no user to apply the document to");
  const Json::Value* user = Member(document, kDocumentUser);
  if (!user || !user->isObject()) return SetProblem(problem, "the document has no kz_user object");

  store::Transaction transaction(db);
  if (!transaction.Active())
    return SetProblem(problem, "cannot start a transaction: " + db.GetLastErrorString());
  std::unique_ptr<JsonWrite> writers[] = {
      std::make_unique<JsonWriteUser>(db),          std::make_unique<JsonWriteMain>(db),
      std::make_unique<JsonWriteMacroSet>(db),      std::make_unique<JsonWriteMacroSetDetail>(db),
      std::make_unique<JsonWriteHonor>(db),
  };
  static const Json::Value kNull;
  for (const auto& writer : writers) {
    const Json::Value* value = Member(document, writer->TableKey());
    // Nothing is kept of a document that failed part-way: the transaction's end rolls back.
    if (!writer->Apply(value ? *value : kNull, userName)) return SetProblem(problem, writer->Problem());
  }
  if (!transaction.Commit()) return SetProblem(problem, "cannot commit: " + db.GetLastErrorString());
  return true;
}

}  // namespace kz::cloud
