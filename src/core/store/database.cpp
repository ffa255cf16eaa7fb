#include "store/database.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <regex>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kz::store {
namespace {

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

std::string QuoteName(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

// Prepared statement that finalises itself.
class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) {
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK)
      stmt_ = nullptr;
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() const { return stmt_; }

  bool Bind(const std::vector<Value>& params) {
    if (static_cast<int>(params.size()) != sqlite3_bind_parameter_count(stmt_)) return false;
    for (size_t i = 0; i < params.size(); ++i) {
      int index = static_cast<int>(i) + 1;
      int rc = std::visit(
          [&](const auto& v) -> int {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>)
              return sqlite3_bind_null(stmt_, index);
            else if constexpr (std::is_same_v<T, long long>)
              return sqlite3_bind_int64(stmt_, index, v);
            else
              return sqlite3_bind_text(stmt_, index, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
          },
          params[i]);
      if (rc != SQLITE_OK) return false;
    }
    return true;
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

Value ColumnValue(sqlite3_stmt* stmt, int column) {
  switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
      return std::monostate{};
    case SQLITE_INTEGER:
      return static_cast<long long>(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
      return static_cast<long long>(sqlite3_column_double(stmt, column));
    default: {
      const unsigned char* text = sqlite3_column_text(stmt, column);
      int size = sqlite3_column_bytes(stmt, column);
      return std::string(text ? reinterpret_cast<const char*>(text) : "", static_cast<size_t>(size));
    }
  }
}

int TypeOfDeclared(const char* declared) {
  if (!declared) return kTypeText;
  std::string upper(declared);
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  return upper.find("INT") != std::string::npos ? kTypeInteger : kTypeText;
}

long long AsInteger(const Value& value) {
  if (auto p = std::get_if<long long>(&value)) return *p;
  if (auto s = std::get_if<std::string>(&value)) {
    try {
      return std::stoll(*s);
    } catch (...) {
      return 0;
    }
  }
  return 0;
}

std::string AsText(const Value& value) {
  if (auto p = std::get_if<long long>(&value)) return std::to_string(*p);
  if (auto s = std::get_if<std::string>(&value)) return *s;
  return std::string();
}

}  // namespace

// ---- Database ----

namespace {

// The file is looked at through an O_PATH descriptor: it never opens a FIFO or device (nothing
// to block on, no driver to wake), O_NOFOLLOW makes a link show as a link, and closing it does
// not drop the POSIX locks another connection of this process holds on the same file, as closing
// any ordinary descriptor of it would (SQLite's locks are per process, not per descriptor).
class PathHandle {
 public:
  explicit PathHandle(const std::string& path) : fd_(::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC)) {
    if (fd_ >= 0 && ::fstat(fd_, &st_) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~PathHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  PathHandle(const PathHandle&) = delete;
  PathHandle& operator=(const PathHandle&) = delete;

  bool Exists() const { return fd_ >= 0; }
  const struct stat& Stat() const { return st_; }
  // Takes group and other access away (and the set-id and sticky bits), on this very file.
  void NarrowToOwner() const {
    if (fd_ < 0 || !S_ISREG(st_.st_mode) || (st_.st_mode & 07177) == 0) return;
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    ::chmod(self.c_str(), st_.st_mode & 0600);
  }

 private:
  int fd_ = -1;
  struct stat st_ {};
};

std::string Reason(const std::string& path) { return path + ": " + std::strerror(errno); }

}  // namespace

Database::~Database() { Close(); }

bool Database::Open(const std::string& path, Mode mode) {
  Close();
  path_ = path;
  journalMode_.clear();
  PathHandle file(path);
  if (!file.Exists()) {
    lastError_ = "cannot open " + Reason(path);
    return false;
  }
  if (S_ISLNK(file.Stat().st_mode)) {
    lastError_ = path + " is a symbolic link; the database is not opened through it";
    return false;
  }
  if (!S_ISREG(file.Stat().st_mode)) {
    lastError_ = path + " is not a regular file; it is not opened as the database";
    return false;
  }
  // Files made before the 0600 rule, or copied in by hand, hold the passwords too.
  file.NarrowToOwner();
  for (const char* side : {"-wal", "-shm"}) {
    PathHandle companion(path + side);
    companion.NarrowToOwner();
  }
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX | SQLITE_OPEN_NOFOLLOW,
                           nullptr);
  if (rc != SQLITE_OK) {
    lastError_ = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    return false;
  }
  // SQLite opened whatever is at the path now; nothing has been read yet, so a file swapped in
  // since the check above is let go untouched.
  struct stat now {};
  if (::lstat(path.c_str(), &now) != 0 || now.st_dev != file.Stat().st_dev || now.st_ino != file.Stat().st_ino) {
    sqlite3_close(db);
    lastError_ = path + " changed while it was being opened";
    return false;
  }
  sqlite3_busy_timeout(db, 5000);
  sqlite3_extended_result_codes(db, 1);
  // Reading the schema proves the file is a database and not some other file under that name.
  if (sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK) {
    lastError_ = sqlite3_errmsg(db);
    sqlite3_close(db);
    return false;
  }
  if (mode == Mode::kUse) {
    // Write-ahead log with synchronous=NORMAL. A commit is one appended run of frames ending in a
    // commit frame; a process killed half-way leaves frames without it, which the next opener
    // ignores, so a row is the old one or the new one, never a mix. NORMAL skips the sync at each
    // commit: a killed process loses nothing the kernel already has (only a power cut could take
    // the last commits, and never leaves the file damaged). Readers and the one writer do not
    // block each other, so kzmousectl can store a profile while the window reads, and two
    // writers queue on the write lock within their busy time-outs (the window 250 ms, so it never
    // freezes; the tool 5000 ms, so it waits out the window's short saves).
    // SQLite makes the -wal and -shm files next to the database with its mode, 0600.
    sqlite3_exec(db, "PRAGMA journal_mode=WAL",
                 [](void* out, int, char** values, char**) {
                   if (values[0]) *static_cast<std::string*>(out) = values[0];
                   return 0;
                 },
                 &journalMode_, nullptr);
    // Where the log cannot be had (another connection in the old mode keeps it, or the folder is
    // read-only), the rollback journal is synced at every commit instead.
    sqlite3_exec(db, journalMode_ == "wal" ? "PRAGMA synchronous=NORMAL" : "PRAGMA synchronous=FULL", nullptr,
                 nullptr, nullptr);
  }
  db_ = db;
  owner_.Bind();
  lastError_.clear();
  return true;
}

void Database::SetBusyTimeout(int milliseconds) {
  if (db_) sqlite3_busy_timeout(db_, milliseconds);
}

Transaction::Transaction(Database& db) : db_(db) { active_ = db_.Execute("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
  if (!active_) return;
  // Keep the reason of the failure that made us give up, not the rollback's.
  std::string reason = db_.GetLastErrorString();
  db_.RollbackTransaction();
  db_.SetLastError(reason);
}

bool Transaction::Commit() {
  if (!active_) return false;
  if (db_.CommitTransaction()) {
    active_ = false;
    return true;
  }
  return false;  // the destructor rolls back
}

void Database::Close() {
  if (db_) sqlite3_close(db_);
  db_ = nullptr;
}

bool Database::Execute(const std::string& sql, const std::vector<Value>& params) {
  CheckOwner();
  if (!db_) {
    lastError_ = "database not open";
    return false;
  }
  Statement stmt(db_, sql);
  if (!stmt.get()) {
    lastError_ = sqlite3_errmsg(db_);
    return false;
  }
  if (!stmt.Bind(params)) {
    lastError_ = "parameter count does not match: " + sql;
    return false;
  }
  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) {
    lastError_ = sqlite3_errmsg(db_);
    return false;
  }
  return true;
}

bool Database::BeginTransaction() { return Execute("BEGIN"); }
bool Database::CommitTransaction() { return Execute("COMMIT"); }
bool Database::RollbackTransaction() { return Execute("ROLLBACK"); }

long long Database::LastInsertId() const { return db_ ? sqlite3_last_insert_rowid(db_) : 0; }
long long Database::Changes() const { return db_ ? sqlite3_changes64(db_) : 0; }

// ---- Recordset ----

bool Recordset::Open(const std::string& source, const std::vector<Value>& params) {
  db_.CheckOwner();
  Close();
  static const std::regex bareTable(R"(^\s*([A-Za-z_][A-Za-z0-9_]*)\s*$)");
  static const std::regex selectAll(R"(^\s*select\s+\*\s+from\s+([A-Za-z_][A-Za-z0-9_]*)(\s+where\s[\s\S]*|\s+order\s[\s\S]*)?\s*$)",
                                    std::regex::icase);
  std::smatch match;
  std::string sql = source;
  if (std::regex_match(source, match, bareTable)) {
    table_ = match[1];
    sql = "select * from " + QuoteName(table_);
  } else if (std::regex_match(source, match, selectAll)) {
    table_ = match[1];
  }
  if (!db_.IsOpen()) {
    db_.SetLastError("database not open");
    return false;
  }
  Statement stmt(db_.Handle(), sql);
  if (!stmt.get()) {
    db_.SetLastError(sqlite3_errmsg(db_.Handle()));
    table_.clear();
    return false;
  }
  if (!stmt.Bind(params)) {
    db_.SetLastError("parameter count does not match: " + sql);
    table_.clear();
    return false;
  }
  int count = sqlite3_column_count(stmt.get());
  for (int i = 0; i < count; ++i)
    columns_.push_back({sqlite3_column_name(stmt.get(), i), TypeOfDeclared(sqlite3_column_decltype(stmt.get(), i))});
  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    std::vector<Value> row;
    row.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) row.push_back(ColumnValue(stmt.get(), i));
    rows_.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) {
    db_.SetLastError(sqlite3_errmsg(db_.Handle()));
    Close();
    return false;
  }
  if (FieldIndex("ID") < 0) table_.clear();  // rows without their key cannot be written back
  open_ = true;
  current_ = 0;
  return true;
}

void Recordset::Close() {
  open_ = false;
  table_.clear();
  columns_.clear();
  rows_.clear();
  current_ = 0;
  mode_ = Mode::None;
  pending_.clear();
  changed_.clear();
}

std::string Recordset::GetFieldName(int position) const {
  if (position < 0 || position >= GetFieldCount()) return std::string();
  return columns_[static_cast<size_t>(position)].name;
}

bool Recordset::GetFieldInfo(int position, FieldInfo& info) const {
  if (position < 0 || position >= GetFieldCount()) return false;
  info = columns_[static_cast<size_t>(position)];
  return true;
}

int Recordset::FieldIndex(const std::string& name) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (EqualsNoCase(columns_[i].name, name)) return static_cast<int>(i);
  return -1;
}

const std::vector<Value>* Recordset::CurrentRow() const {
  if (mode_ != Mode::None) return &pending_;
  return current_ < rows_.size() ? &rows_[current_] : nullptr;
}

Value Recordset::GetValue(int position) const {
  const auto* row = CurrentRow();
  if (!row || position < 0 || position >= GetFieldCount()) return std::monostate{};
  return (*row)[static_cast<size_t>(position)];
}

bool Recordset::GetFieldValue(int position, long long& value) const {
  value = 0;
  if (!CurrentRow() || position < 0 || position >= GetFieldCount()) return false;
  value = AsInteger(GetValue(position));
  return true;
}

bool Recordset::GetFieldValue(int position, int& value) const {
  long long wide = 0;
  bool ok = GetFieldValue(position, wide);
  value = static_cast<int>(wide);
  return ok;
}

bool Recordset::GetFieldValue(int position, std::string& value) const {
  value.clear();
  if (!CurrentRow() || position < 0 || position >= GetFieldCount()) return false;
  value = AsText(GetValue(position));
  return true;
}

bool Recordset::GetFieldValue(const std::string& name, long long& value) const {
  return GetFieldValue(FieldIndex(name), value);
}
bool Recordset::GetFieldValue(const std::string& name, int& value) const {
  return GetFieldValue(FieldIndex(name), value);
}
bool Recordset::GetFieldValue(const std::string& name, std::string& value) const {
  return GetFieldValue(FieldIndex(name), value);
}

bool Recordset::AddNew() {
  if (!open_ || table_.empty()) return false;
  mode_ = Mode::Adding;
  pending_.assign(columns_.size(), std::monostate{});
  changed_.assign(columns_.size(), false);
  return true;
}

bool Recordset::Edit() {
  if (!open_ || table_.empty() || current_ >= rows_.size()) return false;
  mode_ = Mode::Editing;
  pending_ = rows_[current_];
  changed_.assign(columns_.size(), false);
  return true;
}

bool Recordset::SetFieldValue(int position, const Value& value) {
  if (mode_ == Mode::None || position < 0 || position >= GetFieldCount()) return false;
  if (EqualsNoCase(columns_[static_cast<size_t>(position)].name, "ID")) return false;  // the key is the store's
  pending_[static_cast<size_t>(position)] = value;
  changed_[static_cast<size_t>(position)] = true;
  return true;
}

bool Recordset::SetFieldValue(const std::string& name, const Value& value) {
  return SetFieldValue(FieldIndex(name), value);
}

void Recordset::CancelUpdate() {
  mode_ = Mode::None;
  pending_.clear();
  changed_.clear();
}

bool Recordset::Update() {
  db_.CheckOwner();
  if (mode_ == Mode::None) return false;
  std::vector<Value> params;
  std::string names;
  std::string sql;
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (!changed_[i]) continue;
    if (!names.empty()) names += ",";
    names += mode_ == Mode::Adding ? QuoteName(columns_[i].name) : QuoteName(columns_[i].name) + "=?";
    params.push_back(pending_[i]);
  }
  int idColumn = FieldIndex("ID");
  if (mode_ == Mode::Adding) {
    if (params.empty()) {
      sql = "insert into " + QuoteName(table_) + " default values";
    } else {
      std::string marks;
      for (size_t i = 0; i < params.size(); ++i) marks += i ? ",?" : "?";
      sql = "insert into " + QuoteName(table_) + " (" + names + ") values (" + marks + ")";
    }
  } else {
    if (params.empty()) {
      CancelUpdate();
      return true;
    }
    sql = "update " + QuoteName(table_) + " set " + names + " where ID=?";
    params.push_back(rows_[current_][static_cast<size_t>(idColumn)]);
  }
  if (!db_.Execute(sql, params)) return false;  // the pending row stays for another try or a cancel
  if (mode_ == Mode::Editing && db_.Changes() == 0) {
    // Deleted since it was read (or a trigger dropped the change): nothing was stored.
    db_.SetLastError("the update changed no row of " + table_);
    return false;
  }
  if (mode_ == Mode::Adding) {
    // Read the stored row back so that defaults and the new key are visible.
    Recordset stored(db_);
    if (stored.Open("select * from " + QuoteName(table_) + " where ID=?", {db_.LastInsertId()}) &&
        stored.GetRecordCount() == 1 && stored.columns_.size() == columns_.size()) {
      rows_.push_back(stored.rows_[0]);
    } else {
      pending_[static_cast<size_t>(idColumn)] = db_.LastInsertId();
      rows_.push_back(pending_);
    }
    current_ = rows_.size() - 1;
  } else {
    rows_[current_] = pending_;
  }
  CancelUpdate();
  return true;
}

std::string IntToStr(long long value) { return std::to_string(value); }

}  // namespace kz::store
