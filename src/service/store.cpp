#include "store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kzsvc {
namespace {

constexpr int kSchemaVersion = 1;
constexpr std::int64_t kExpiredTokenKeep = 7 * 24 * 3600;

constexpr char kSchema[] =
    "CREATE TABLE IF NOT EXISTS accounts("
    " id INTEGER PRIMARY KEY,"
    " user_name TEXT NOT NULL UNIQUE,"
    " password_hash TEXT NOT NULL,"
    " recovery_hash TEXT NOT NULL,"
    " created INTEGER NOT NULL,"
    " version INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE IF NOT EXISTS tokens("
    " digest TEXT PRIMARY KEY,"
    " account_id INTEGER NOT NULL REFERENCES accounts(id) ON DELETE CASCADE,"
    " expires INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS tokens_expires ON tokens(expires);"
    "CREATE TABLE IF NOT EXISTS documents("
    " account_id INTEGER PRIMARY KEY REFERENCES accounts(id) ON DELETE CASCADE,"
    " version INTEGER NOT NULL,"
    " content TEXT NOT NULL,"
    " updated INTEGER NOT NULL);";

}  // namespace

// A prepared statement that finalizes itself; binds by position from 1.
class Store::Statement {
 public:
  Statement(sqlite3* db, const char* sql) { ok_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) == SQLITE_OK; }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return ok_; }
  Statement& Bind(int i, const std::string& text) {
    ok_ = ok_ && sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    return *this;
  }
  Statement& Bind(int i, std::int64_t value) {
    ok_ = ok_ && sqlite3_bind_int64(stmt_, i, value) == SQLITE_OK;
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step() { return ok_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
  bool Run() { return Step() == SQLITE_DONE; }

  // Column readers that refuse a value of the wrong kind, so a damaged row is a fault and not a
  // silently wrong answer.
  bool Int(int col, std::int64_t& out) {
    if (sqlite3_column_type(stmt_, col) != SQLITE_INTEGER) return false;
    out = sqlite3_column_int64(stmt_, col);
    return true;
  }
  bool Text(int col, std::string& out) {
    if (sqlite3_column_type(stmt_, col) != SQLITE_TEXT) return false;
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
    out.assign(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col)));
    return true;
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  bool ok_ = false;
};

Store::~Store() {
  if (db_) sqlite3_close(db_);
}

bool Store::Fault(const char* what) {
  std::fprintf(stderr, "kz-service: database: %s: %s\n", what, db_ ? sqlite3_errmsg(db_) : "not open");
  return false;
}

bool Store::Damaged(const char* what) {
  std::fprintf(stderr, "kz-service: database: %s: a row holds a value of the wrong kind\n", what);
  return false;
}

bool Store::Exec(const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) == SQLITE_OK) return true;
  std::fprintf(stderr, "kz-service: database: %s\n", err ? err : "error");
  sqlite3_free(err);
  return false;
}

template <typename F>
bool Store::InTransaction(F body) {
  if (!Exec("BEGIN IMMEDIATE")) return false;
  if (body() && Exec("COMMIT")) return true;
  Exec("ROLLBACK");
  return false;
}

bool Store::Open(const std::string& path, std::string& error) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Created here with 0600 (SQLite gives its -wal and -shm files the same mode); a symbolic link
  // at the path is refused rather than followed.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  // Hashes are slow to attack but still nobody else's business.
  if (regular && (st.st_mode & 077) != 0) ::fchmod(fd, 0600);
  ::close(fd);
  if (!regular) {
    error = path + " is not a regular file";
    return false;
  }
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
    error = "cannot open " + path + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory");
    return false;
  }
  sqlite3_busy_timeout(db_, 5000);
  int version = -1;
  {
    Statement q(db_, "PRAGMA user_version");
    std::int64_t v = 0;
    if (q.Step() == SQLITE_ROW && q.Int(0, v)) version = static_cast<int>(v);
  }
  if (version < 0) {
    error = path + " is not a database: " + sqlite3_errmsg(db_);
    return false;
  }
  if (version > kSchemaVersion) {
    error = path + " was written by a newer kz-service (schema " + std::to_string(version) + ")";
    return false;
  }
  // FULL: a document that was answered as stored survives a power cut too.
  if (!Exec("PRAGMA journal_mode=WAL") || !Exec("PRAGMA synchronous=FULL") || !Exec("PRAGMA foreign_keys=ON") ||
      !InTransaction([&] { return Exec(kSchema) && Exec("PRAGMA user_version=1"); })) {
    error = path + ": cannot set up the tables: " + sqlite3_errmsg(db_);
    return false;
  }
  return true;
}

bool Store::CreateAccount(const std::string& name, const std::string& passwordHash, const std::string& recoveryHash,
                          std::int64_t now, bool& taken) {
  std::lock_guard<std::mutex> lock(mutex_);
  taken = false;
  return InTransaction([&] {
    Statement find(db_, "SELECT 1 FROM accounts WHERE user_name=?");
    const int found = find.Bind(1, name).Step();
    if (found == SQLITE_ROW) {
      taken = true;
      return false;
    }
    if (found != SQLITE_DONE) return Fault("find account");
    Statement add(db_, "INSERT INTO accounts(user_name, password_hash, recovery_hash, created) VALUES(?,?,?,?)");
    return add.Bind(1, name).Bind(2, passwordHash).Bind(3, recoveryHash).Bind(4, now).Run() || Fault("add account");
  }) || taken;
}

bool Store::FindAccount(const std::string& name, std::optional<Account>& account) {
  std::lock_guard<std::mutex> lock(mutex_);
  account.reset();
  Statement q(db_, "SELECT id, user_name, password_hash, recovery_hash, version FROM accounts WHERE user_name=?");
  const int rc = q.Bind(1, name).Step();
  if (rc == SQLITE_DONE) return true;
  if (rc != SQLITE_ROW) return Fault("read account");
  Account a;
  if (!q.Int(0, a.id) || !q.Text(1, a.name) || !q.Text(2, a.passwordHash) || !q.Text(3, a.recoveryHash) ||
      !q.Int(4, a.version)) {
    return Damaged("read account");
  }
  account = std::move(a);
  return true;
}

bool Store::AddToken(std::int64_t accountId, const std::string& digest, std::int64_t expires, std::int64_t now) {
  std::lock_guard<std::mutex> lock(mutex_);
  return InTransaction([&] {
    Statement sweep(db_, "DELETE FROM tokens WHERE expires<?");
    Statement add(db_, "INSERT INTO tokens(digest, account_id, expires) VALUES(?,?,?)");
    return (sweep.Bind(1, now - kExpiredTokenKeep).Run() || Fault("drop old tokens")) &&
           (add.Bind(1, digest).Bind(2, accountId).Bind(3, expires).Run() || Fault("add token"));
  });
}

bool Store::FindToken(const std::string& digest, std::int64_t now, TokenState& state, Account& account) {
  std::lock_guard<std::mutex> lock(mutex_);
  state = TokenState::Unknown;
  Statement q(db_,
              "SELECT t.expires, a.id, a.user_name, a.version FROM tokens t JOIN accounts a ON a.id=t.account_id "
              "WHERE t.digest=?");
  const int rc = q.Bind(1, digest).Step();
  if (rc == SQLITE_DONE) return true;
  if (rc != SQLITE_ROW) return Fault("read token");
  std::int64_t expires = 0;
  if (!q.Int(0, expires) || !q.Int(1, account.id) || !q.Text(2, account.name) || !q.Int(3, account.version)) {
    return Damaged("read token");
  }
  state = now < expires ? TokenState::Valid : TokenState::Expired;
  return true;
}

bool Store::StoreDocument(std::int64_t accountId, const std::string& content, std::int64_t now,
                          std::int64_t& version) {
  std::lock_guard<std::mutex> lock(mutex_);
  return InTransaction([&] {
    Statement raise(db_, "UPDATE accounts SET version=version+1 WHERE id=?");
    if (!raise.Bind(1, accountId).Run() || sqlite3_changes(db_) != 1) return Fault("raise version");
    Statement read(db_, "SELECT version FROM accounts WHERE id=?");
    if (read.Bind(1, accountId).Step() != SQLITE_ROW) return Fault("read version");
    if (!read.Int(0, version)) return Damaged("read version");
    Statement put(db_, "INSERT OR REPLACE INTO documents(account_id, version, content, updated) VALUES(?,?,?,?)");
    return put.Bind(1, accountId).Bind(2, version).Bind(3, content).Bind(4, now).Run() || Fault("store document");
  });
}

bool Store::ReadVersion(std::int64_t accountId, std::int64_t& version) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement q(db_, "SELECT version FROM accounts WHERE id=?");
  if (q.Bind(1, accountId).Step() != SQLITE_ROW) return Fault("read version");
  return q.Int(0, version) || Damaged("read version");
}

bool Store::ReadDocument(std::int64_t accountId, std::optional<std::string>& content, std::int64_t& version) {
  std::lock_guard<std::mutex> lock(mutex_);
  content.reset();
  Statement q(db_, "SELECT version, content FROM documents WHERE account_id=?");
  const int rc = q.Bind(1, accountId).Step();
  if (rc == SQLITE_DONE) return true;
  if (rc != SQLITE_ROW) return Fault("read document");
  std::string text;
  if (!q.Int(0, version) || !q.Text(1, text)) return Damaged("read document");
  content = std::move(text);
  return true;
}

bool Store::ResetSecrets(std::int64_t accountId, const std::string& passwordHash, const std::string& recoveryHash) {
  std::lock_guard<std::mutex> lock(mutex_);
  return InTransaction([&] {
    Statement set(db_, "UPDATE accounts SET password_hash=?, recovery_hash=? WHERE id=?");
    Statement drop(db_, "DELETE FROM tokens WHERE account_id=?");
    return (set.Bind(1, passwordHash).Bind(2, recoveryHash).Bind(3, accountId).Run() || Fault("reset password")) &&
           (drop.Bind(1, accountId).Run() || Fault("drop tokens"));
  });
}

}  // namespace kzsvc
