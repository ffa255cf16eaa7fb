#pragma once
// The service's database: accounts (with their data version), session tokens and the stored
// sync documents. One SQLite connection in WAL mode, used under one lock; every change is one
// transaction, so a stopped or killed service never leaves half a write behind.
#include <sqlite3.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace kzsvc {

struct Account {
  std::int64_t id = 0;
  std::string name;
  std::string passwordHash;
  std::string recoveryHash;
  std::int64_t version = 0;
};

enum class TokenState { Valid, Unknown, Expired };

// Every operation returns false on a database fault (logged to stderr); answers go to out values.
class Store {
 public:
  Store() = default;
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // Opens or creates the file (mode 0600) and its tables. `error` says why it failed.
  bool Open(const std::string& path, std::string& error);

  // `taken` is set when the name exists; nothing is written then.
  bool CreateAccount(const std::string& name, const std::string& passwordHash, const std::string& recoveryHash,
                     std::int64_t now, bool& taken);
  bool FindAccount(const std::string& name, std::optional<Account>& account);
  // Also drops tokens that ran out more than a week ago (the week keeps "expired" answers
  // meaningful for a client that comes back late).
  bool AddToken(std::int64_t accountId, const std::string& digest, std::int64_t expires, std::int64_t now);
  bool FindToken(const std::string& digest, std::int64_t now, TokenState& state, Account& account);
  // Stores the document and raises the account's version by one; `version` is the new one.
  bool StoreDocument(std::int64_t accountId, const std::string& content, std::int64_t now, std::int64_t& version);
  bool ReadVersion(std::int64_t accountId, std::int64_t& version);
  // `content` stays empty when the account has no document yet.
  bool ReadDocument(std::int64_t accountId, std::optional<std::string>& content, std::int64_t& version);
  // New password and recovery hashes; every token of the account ends with it.
  bool ResetSecrets(std::int64_t accountId, const std::string& passwordHash, const std::string& recoveryHash);

 private:
  class Statement;
  bool Exec(const char* sql);
  bool Fault(const char* what);
  bool Damaged(const char* what);
  // Runs `body` between BEGIN IMMEDIATE and COMMIT, rolling back when it returns false.
  template <typename F>
  bool InTransaction(F body);

  std::mutex mutex_;
  sqlite3* db_ = nullptr;
};

}  // namespace kzsvc
