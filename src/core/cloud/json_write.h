#pragma once
// The writers that put the rows of a sync document back into the tables, one per table. They
// run only inside the transaction of ApplySyncDocument (sync_document.h), which undoes all of
// them when one fails.
#include <string>
#include <vector>

#include <json/value.h>

#include "store/database.h"

namespace kz::cloud {

class JsonWrite {
 public:
  explicit JsonWrite(store::Database& db) : db_(db) {}
  virtual ~JsonWrite() = default;
  JsonWrite(const JsonWrite&) = delete;
  JsonWrite& operator=(const JsonWrite&) = delete;

  // The document member of the table.
  virtual const char* TableKey() const = 0;
  // Replaces the rows of `userName` in the table with those of `value`. False on the first
  // failure, with the reason in Problem().
  virtual bool Apply(const Json::Value& value, const std::string& userName) = 0;

  // Adds one row for `userName` from the members of `value` named like the table's columns, from
  // position `firstColumn` to the last. An integer column takes the leading integer of its text
  // (missing: "-9999", which keeps the table's default); any other column the text (missing:
  // "null", which keeps the default). A member that is an array or an object fails the row.
  bool InsertRow(const Json::Value& value, const std::string& table, const std::string& userName, int firstColumn);

  const std::string& Problem() const { return problem_; }

 protected:
  bool Fail(std::string problem);
  store::Database& db_;

 private:
  const std::vector<store::FieldInfo>* Columns(const std::string& table);
  std::string columnsOf_;
  std::vector<store::FieldInfo> columns_;
  std::string problem_;
  int rowsInserted_ = 0;
};

// The user's kz_user row; the local password stays as it was.
class JsonWriteUser : public JsonWrite {
 public:
  using JsonWrite::JsonWrite;
  const char* TableKey() const override { return "kz_user"; }
  bool Apply(const Json::Value& value, const std::string& userName) override;
};

// A table of many rows per user: all of the user's rows are deleted, then those of the list
// (or none for null) inserted.
class JsonWriteRows : public JsonWrite {
 public:
  JsonWriteRows(store::Database& db, const char* key, const char* table) : JsonWrite(db), key_(key), table_(table) {}
  const char* TableKey() const override { return key_; }
  bool Apply(const Json::Value& value, const std::string& userName) override;

 private:
  const char* key_;
  const char* table_;
};

class JsonWriteMain : public JsonWriteRows {
 public:
  explicit JsonWriteMain(store::Database& db) : JsonWriteRows(db, "main", "main2") {}
};
class JsonWriteMacroSet : public JsonWriteRows {
 public:
  explicit JsonWriteMacroSet(store::Database& db) : JsonWriteRows(db, "macro_set", "macro_set2") {}
};
class JsonWriteMacroSetDetail : public JsonWriteRows {
 public:
  explicit JsonWriteMacroSetDetail(store::Database& db)
      : JsonWriteRows(db, "macro_set_detail", "macro_set_detail2") {}
};
class JsonWriteHonor : public JsonWriteRows {
 public:
  explicit JsonWriteHonor(store::Database& db) : JsonWriteRows(db, "kz_honor", "kz_honor") {}
};

}  // namespace kz::cloud
