#pragma once
// The rules of accounts and sessions, shared by the API and the pages: sign-up, log-in with its
// attempt limits, password recovery, and the check of a session token.
#include <cstdint>
#include <functional>
#include <string>

#include "rate_limiter.h"
#include "store.h"

namespace kzsvc {

// Why a call was refused; the API answers it as its "result" (100 is success).
enum class Refusal {
  None = 100,
  BadInput = 101,
  WrongCredentials = 102,
  TooManyAttempts = 103,
  TokenUnknown = 104,
  TokenExpired = 105,
  BadDocument = 106,
  NoDocument = 107,
  ServerFault = 108,
  UserMismatch = 109,
  NameTaken = 110,
};

struct Answer {
  Refusal refusal = Refusal::None;
  std::string message;  // one of messages.h when refused
  bool ok() const { return refusal == Refusal::None; }
  static Answer Refuse(Refusal why, std::string message) { return {why, std::move(message)}; }
};

struct LoginGrant {
  std::string token;
  std::int64_t version = 0;
  std::int64_t loginTime = 0;
};

struct AccountRules {
  unsigned hashIterations = 200000;
  std::int64_t tokenLifetime = 30LL * 24 * 3600;  // seconds
  unsigned attemptsPerMinute = 10;                // per user name and per address; 0: no limit
};

class Accounts {
 public:
  using WallClock = std::function<std::int64_t()>;  // seconds since 1970
  Accounts(Store& store, AccountRules rules, WallClock now = nullptr, RateLimiter::Now steady = &RateLimiter::Clock::now);

  // `password` is what was typed into the page; it is kept as its MD5 hex, the text the client
  // sends at log-in. On success `recoveryCode` is the code to show, once.
  Answer SignUp(const std::string& name, const std::string& password, const std::string& repeated,
                const std::string& address, std::string& recoveryCode);
  // `passwordHex` is the client's "password" field.
  Answer Login(const std::string& name, const std::string& passwordHex, const std::string& address,
               LoginGrant& grant);
  // A new password for the holder of the recovery code; every session of the account ends and a
  // new code replaces the spent one.
  Answer Recover(const std::string& name, const std::string& code, const std::string& password,
                 const std::string& repeated, const std::string& address, std::string& newCode);
  // The account of a token from a request path. `claimedName` is the request's "user_name"
  // field: when given it must be the token's user.
  Answer Session(const std::string& token, const std::string* claimedName, Account& account);

  std::int64_t Now() const { return now_(); }

 private:
  // Counts an attempt against the address and the name; false once either is used up.
  bool AllowAttempt(const std::string& name, const std::string& address);
  static std::string PasswordProblem(const std::string& password, const std::string& repeated);

  Store& store_;
  const AccountRules rules_;
  const WallClock now_;
  RateLimiter byName_;
  RateLimiter byAddress_;
  RateLimiter signUps_;
  // Checked against when the name is unknown, so a miss takes as long as a wrong password.
  std::string decoyHash_;
};

}  // namespace kzsvc
