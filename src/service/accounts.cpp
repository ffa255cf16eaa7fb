#include "accounts.h"

#include <ctime>

#include "messages.h"
#include "secret_hash.h"
#include "secrets.h"
#include "text.h"

namespace kzsvc {
namespace {

constexpr std::size_t kMinPasswordLength = 6;
constexpr std::size_t kMaxPasswordLength = 128;
// The client sends 32 hex digits; anything far longer is not a password text of it.
constexpr std::size_t kMaxPasswordField = 256;

std::int64_t SystemNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace

Accounts::Accounts(Store& store, AccountRules rules, WallClock now, RateLimiter::Now steady)
    : store_(store),
      rules_(rules),
      now_(now ? std::move(now) : WallClock(&SystemNow)),
      byName_(rules.attemptsPerMinute, std::chrono::seconds(60), steady),
      byAddress_(rules.attemptsPerMinute, std::chrono::seconds(60), steady),
      signUps_(rules.attemptsPerMinute, std::chrono::seconds(60), steady),
      decoyHash_(HashSecret(NewToken(), rules.hashIterations)) {}

bool Accounts::AllowAttempt(const std::string& name, const std::string& address) {
  // The address is asked first: a client over its budget does not use up the name's as well.
  return byAddress_.Allow(address) && byName_.Allow(name);
}

std::string Accounts::PasswordProblem(const std::string& password, const std::string& repeated) {
  if (password.empty()) return msg::kPasswordMissing;
  if (!IsValidUtf8(password)) return msg::kPasswordBadCharacters;
  const std::size_t length = Utf16Length(password);
  if (length < kMinPasswordLength) return msg::kPasswordTooShort;
  if (length > kMaxPasswordLength) return msg::kPasswordTooLong;
  if (password != repeated) return msg::kPasswordsDiffer;
  return {};
}

Answer Accounts::SignUp(const std::string& typedName, const std::string& password, const std::string& repeated,
                        const std::string& address, std::string& recoveryCode) {
  const std::string name = TrimWhite(typedName);
  if (std::string problem = UserNameProblem(name); !problem.empty()) {
    return Answer::Refuse(Refusal::BadInput, problem);
  }
  if (std::string problem = PasswordProblem(password, repeated); !problem.empty()) {
    return Answer::Refuse(Refusal::BadInput, problem);
  }
  if (!signUps_.Allow(address)) return Answer::Refuse(Refusal::TooManyAttempts, msg::kTooManyAttempts);
  const std::string code = NewRecoveryCode();
  const std::string passwordHash = HashSecret(Md5Hex(password), rules_.hashIterations);
  const std::string codeHash = HashSecret(NormalizeRecoveryCode(code), rules_.hashIterations);
  if (code.empty() || passwordHash.empty() || codeHash.empty()) {
    return Answer::Refuse(Refusal::ServerFault, msg::kServerFault);
  }
  bool taken = false;
  if (!store_.CreateAccount(name, passwordHash, codeHash, now_(), taken)) {
    return Answer::Refuse(Refusal::ServerFault, msg::kServerFault);
  }
  if (taken) return Answer::Refuse(Refusal::NameTaken, msg::kNameTaken);
  recoveryCode = code;
  return {};
}

Answer Accounts::Login(const std::string& name, const std::string& passwordHex, const std::string& address,
                       LoginGrant& grant) {
  if (name.empty() || passwordHex.empty()) return Answer::Refuse(Refusal::BadInput, msg::kLoginMissing);
  if (!AllowAttempt(name, address)) return Answer::Refuse(Refusal::TooManyAttempts, msg::kTooManyAttempts);
  std::optional<Account> account;
  if (!store_.FindAccount(name, account)) return Answer::Refuse(Refusal::ServerFault, msg::kServerFault);
  const bool fits = passwordHex.size() <= kMaxPasswordField;
  const bool match = VerifySecret(fits ? passwordHex : std::string(), account ? account->passwordHash : decoyHash_);
  if (!account || !fits || !match) return Answer::Refuse(Refusal::WrongCredentials, msg::kLoginWrong);
  const std::string token = NewToken();
  const std::int64_t now = now_();
  if (token.empty() || !store_.AddToken(account->id, TokenDigest(token), now + rules_.tokenLifetime, now)) {
    return Answer::Refuse(Refusal::ServerFault, msg::kServerFault);
  }
  grant = LoginGrant{token, account->version, now};
  return {};
}

Answer Accounts::Recover(const std::string& typedName, const std::string& typedCode, const std::string& password,
                         const std::string& repeated, const std::string& address, std::string& newCode) {
  const std::string name = TrimWhite(typedName);
  if (name.empty() || TrimWhite(typedCode).empty()) return Answer::Refuse(Refusal::BadInput, msg::kRecoveryMissing);
  if (std::string problem = PasswordProblem(password, repeated); !problem.empty()) {
    return Answer::Refuse(Refusal::BadInput, problem);
  }
  if (!AllowAttempt(name, address)) return Answer::Refuse(Refusal::TooManyAttempts, msg::kTooManyAttempts);
  std::optional<Account> account;
  if (!store_.FindAccount(name, account)) return Answer::Refuse(Refusal::ServerFault, msg::kServerFault);
  const std::string code = NormalizeRecoveryCode(TrimWhite(typedCode));
  const bool match = VerifySecret(code, account ? account->recoveryHash : decoyHash_);
  if (!account || code.empty() || !match) return Answer::Refuse(Refusal::WrongCredentials, msg::kRecoveryWrong);
  const std::string fresh = NewRecoveryCode();
  const std::string passwordHash = HashSecret(Md5Hex(password), rules_.hashIterations);
  const std::string codeHash = HashSecret(NormalizeRecoveryCode(fresh), rules_.hashIterations);
  if (fresh.empty() || passwordHash.empty() || codeHash.empty() ||
      !store_.ResetSecrets(account->id, passwordHash, codeHash)) {
    return Answer::Refuse(Refusal::ServerFault, msg::kServerFault);
  }
  newCode = fresh;
  return {};
}

Answer Accounts::Session(const std::string& token, const std::string* claimedName, Account& account) {
  if (!LooksLikeToken(token)) return Answer::Refuse(Refusal::TokenUnknown, msg::kTokenUnknown);
  TokenState state = TokenState::Unknown;
  if (!store_.FindToken(TokenDigest(token), now_(), state, account)) {
    return Answer::Refuse(Refusal::ServerFault, msg::kServerFault);
  }
  if (state == TokenState::Unknown) return Answer::Refuse(Refusal::TokenUnknown, msg::kTokenUnknown);
  if (state == TokenState::Expired) return Answer::Refuse(Refusal::TokenExpired, msg::kTokenExpired);
  if (claimedName && *claimedName != account.name) return Answer::Refuse(Refusal::UserMismatch, msg::kUserMismatch);
  return {};
}

}  // namespace kzsvc
