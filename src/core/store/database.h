#pragma once
// A small database / recordset layer over SQLite. Every value reaches SQL as a bound parameter,
// never as text pasted into a statement, so names with apostrophes or any other letters are safe.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

#include "base/thread_owner.h"

struct sqlite3;

namespace kz::store {

// A column value: NULL, an integer or a text.
using Value = std::variant<std::monostate, long long, std::string>;

// Column type codes as the callers know them: 3 is a 4-byte integer, everything else is text.
inline constexpr int kTypeInteger = 3;
inline constexpr int kTypeText = 202;

struct FieldInfo {
  std::string name;
  int type = kTypeText;
};

class Database {
 public:
  Database() = default;
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // kUse sets the journal up for sharing the file (see Open in database.cpp); kAsIs opens it
  // as it is, to look at a file that may not be ours.
  enum class Mode { kUse, kAsIs };

  // Opens an existing database file; making one is CreateDatabase's job (schema.h), so that a
  // file at this path is always either absent or whole. Only a regular file is opened: a symbolic
  // link is refused, never followed, and a FIFO or device is refused without blocking on it. The
  // file holds account passwords, so a mode wider than 0600 is narrowed (with its -wal and -shm).
  // False with the reason in GetLastErrorString on failure.
  bool Open(const std::string& path, Mode mode = Mode::kUse);
  void Close();
  bool IsOpen() const { return db_ != nullptr; }
  const std::string& Path() const { return path_; }

  // Runs one statement with its `?` parameters bound in order. False on failure.
  bool Execute(const std::string& sql, const std::vector<Value>& params = {});
  const std::string& GetLastErrorString() const { return lastError_; }

  bool BeginTransaction();
  bool CommitTransaction();
  bool RollbackTransaction();
  // How long a statement waits for another connection's lock before it fails (5 s after Open).
  // The window's connection keeps it short: a locked file must not freeze the window.
  void SetBusyTimeout(int milliseconds);
  // The connection belongs to the thread that opened it; checked in builds with thread checks.
  void CheckOwner() const { owner_.Check("database connection"); }

  long long LastInsertId() const;
  // Rows the last INSERT, UPDATE or DELETE changed (not counting those of triggers).
  long long Changes() const;
  // "wal" once Open (kUse) has set the journal up for sharing; else the mode SQLite kept (empty
  // after kAsIs, which leaves the mode alone).
  const std::string& JournalMode() const { return journalMode_; }
  sqlite3* Handle() const { return db_; }
  void SetLastError(const std::string& text) { lastError_ = text; }

 private:
  sqlite3* db_ = nullptr;
  std::string path_;
  std::string lastError_;
  std::string journalMode_;
  ThreadOwner owner_;
};

// One transaction that takes the write lock at its start (BEGIN IMMEDIATE), so a save either
// waits for the lock once, up front, or fails before writing anything. Rolled back when it goes
// out of scope without Commit.
class Transaction {
 public:
  explicit Transaction(Database& db);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  // False when the transaction could not start (the reason is the database's last error).
  bool Active() const { return active_; }
  // False (and rolled back) when the commit fails.
  bool Commit();

 private:
  Database& db_;
  bool active_ = false;
};

// The rows of one query, read into memory; the current row can be edited or a new one added and
// stored with Update. Only a recordset of a single table (a bare table name or "select * from T …")
// can be written.
class Recordset {
 public:
  explicit Recordset(Database& db) : db_(db) {}

  // `source` is a SELECT statement with `?` parameters, or a bare table name.
  bool Open(const std::string& source, const std::vector<Value>& params = {});
  bool IsOpen() const { return open_; }
  void Close();

  int GetRecordCount() const { return static_cast<int>(rows_.size()); }
  bool IsEOF() const { return current_ >= rows_.size(); }
  void MoveFirst() { current_ = 0; }
  void MoveNext() {
    if (current_ < rows_.size()) ++current_;
  }
  void MoveLast() { current_ = rows_.empty() ? 0 : rows_.size() - 1; }

  int GetFieldCount() const { return static_cast<int>(columns_.size()); }
  std::string GetFieldName(int position) const;
  bool GetFieldInfo(int position, FieldInfo& info) const;
  // Position of a column by name (case-insensitive, as SQL names are), or -1.
  int FieldIndex(const std::string& name) const;

  // Reads the current row. NULL reads as 0 or an empty text; false when there is no current row or
  // no such column (the output is then 0 or empty too).
  bool GetFieldValue(const std::string& name, long long& value) const;
  bool GetFieldValue(const std::string& name, int& value) const;
  bool GetFieldValue(const std::string& name, std::string& value) const;
  bool GetFieldValue(int position, long long& value) const;
  bool GetFieldValue(int position, int& value) const;
  bool GetFieldValue(int position, std::string& value) const;
  // The raw value, NULL included.
  Value GetValue(int position) const;

  // Starts a new row (all NULL) or editing of the current one; SetFieldValue changes the pending
  // row; Update stores it. Update of a new row reads its ID back. An edit whose row is no longer
  // there fails: it stored nothing.
  bool AddNew();
  bool Edit();
  bool SetFieldValue(const std::string& name, const Value& value);
  bool SetFieldValue(int position, const Value& value);
  bool Update();
  void CancelUpdate();

  const std::string& Table() const { return table_; }
  Database& Db() const { return db_; }

 private:
  enum class Mode { None, Adding, Editing };
  const std::vector<Value>* CurrentRow() const;

  Database& db_;
  bool open_ = false;
  std::string table_;  // empty when the source names no single table
  std::vector<FieldInfo> columns_;
  std::vector<std::vector<Value>> rows_;
  size_t current_ = 0;
  Mode mode_ = Mode::None;
  std::vector<Value> pending_;
  std::vector<bool> changed_;
};

std::string IntToStr(long long value);

}  // namespace kz::store
