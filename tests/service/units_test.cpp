// The pieces of the service where a fault would not show in a few HTTP calls.
#include <gtest/gtest.h>

#include <regex>

#include "accounts.h"
#include "messages.h"
#include "options.h"
#include "rate_limiter.h"
#include "request_log.h"
#include "secret_hash.h"
#include "secrets.h"
#include "store.h"
#include "support/test_support.h"
#include "text.h"

namespace kztest {
namespace {

TEST(SecretHash, VerifiesOnlyTheSecretItWasMadeOf) {
  const std::string stored = kzsvc::HashSecret("900150983cd24fb0d6963f7d28e17f72", 1000);
  ASSERT_TRUE(std::regex_match(stored, std::regex("pbkdf2-sha256\\$1000\\$[0-9a-f]{32}\\$[0-9a-f]{64}"))) << stored;
  EXPECT_TRUE(kzsvc::VerifySecret("900150983cd24fb0d6963f7d28e17f72", stored));
  for (const char* other : {"", "900150983cd24fb0d6963f7d28e17f7", "900150983cd24fb0d6963f7d28e17f72 ",
                            "900150983CD24FB0D6963F7D28E17F72"}) {
    EXPECT_FALSE(kzsvc::VerifySecret(other, stored)) << other;
  }
  // Salted: the same secret never gives the same stored text twice.
  EXPECT_NE(kzsvc::HashSecret("same", 1000), kzsvc::HashSecret("same", 1000));
  // The count in the stored text is the one used, whatever new hashes use.
  EXPECT_TRUE(kzsvc::VerifySecret("x", kzsvc::HashSecret("x", 3)));
}

TEST(SecretHash, KnownVectorAndDamagedStoredTexts) {
  // PBKDF2-HMAC-SHA256("password", "salt", 1 round), the published test vector.
  EXPECT_TRUE(kzsvc::VerifySecret(
      "password", "pbkdf2-sha256$1$73616c74$120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b"));
  const std::string good = kzsvc::HashSecret("pw", 10);
  const std::size_t lastDollar = good.rfind('$');
  for (const std::string& damaged : {
           std::string(), std::string("pw"), good.substr(0, good.size() - 2), good + "00", good + "$",
           "pbkdf2-sha1" + good.substr(13), "pbkdf2-sha256$0" + good.substr(good.find('$', 14)),
           "pbkdf2-sha256$010" + good.substr(good.find('$', 14)), "pbkdf2-sha256$99999999999" + good.substr(good.find('$', 14)),
           "pbkdf2-sha256$-1" + good.substr(good.find('$', 14)), good.substr(0, lastDollar) + "$" + std::string(64, 'g'),
           "pbkdf2-sha256$10$$" + good.substr(lastDollar + 1)}) {
    EXPECT_FALSE(kzsvc::VerifySecret("pw", damaged)) << damaged;
  }
  EXPECT_EQ(kzsvc::HashSecret("pw", 0), "");
}

TEST(SecretHash, Md5HexIsTheDigestOfTheBytes) {
  EXPECT_EQ(kzsvc::Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(kzsvc::Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(kzsvc::Md5Hex("密码"), "a8105204604a0b11e916f3879aae3b0b");  // of the UTF-8 bytes
  EXPECT_EQ(kzsvc::Md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
}

TEST(Secrets, TokensAndRecoveryCodes) {
  const std::string a = kzsvc::NewToken(), b = kzsvc::NewToken();
  EXPECT_TRUE(kzsvc::LooksLikeToken(a));
  EXPECT_NE(a, b);
  for (const std::string& bad : {std::string(), a.substr(1), a + "0", std::string(64, 'A'), std::string(63, 'a') + "/"}) {
    EXPECT_FALSE(kzsvc::LooksLikeToken(bad)) << bad;
  }
  EXPECT_EQ(kzsvc::TokenDigest("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

  const std::string code = kzsvc::NewRecoveryCode();
  ASSERT_TRUE(std::regex_match(code, std::regex("([0-9A-HJKMNP-TV-Z]{4}-){4}[0-9A-HJKMNP-TV-Z]{4}"))) << code;
  const std::string plain = kzsvc::NormalizeRecoveryCode(code);
  EXPECT_EQ(plain.size(), 20u);
  EXPECT_EQ(kzsvc::NormalizeRecoveryCode("abcd efgh-jkmn pqrs tvwx"), "ABCDEFGHJKMNPQRSTVWX");
  EXPECT_EQ(kzsvc::NormalizeRecoveryCode("OOOO-IIII-LLLL-0000-1111"), "00001111111100001111");
  for (const char* bad : {"", "ABCD", "ABCD-EFGH-JKMN-PQRS-TVWXY", "ABCD-EFGH-JKMN-PQRS-TVWU", "ABCD_EFGH_JKMN_PQRS_TVWX"}) {
    EXPECT_EQ(kzsvc::NormalizeRecoveryCode(bad), "") << bad;
  }
}

TEST(RateLimiter, CountsPerKeyWithinTheWindowOfItsFirstAttempt) {
  auto now = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
  kzsvc::RateLimiter limiter(3, std::chrono::seconds(60), [&] { return now; });
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(limiter.Allow("a")) << i;
  EXPECT_FALSE(limiter.Allow("a"));
  EXPECT_TRUE(limiter.Allow("b"));  // keys are apart
  now += std::chrono::seconds(59);
  EXPECT_FALSE(limiter.Allow("a"));
  EXPECT_EQ(limiter.SecondsLeft("a"), 1);
  now += std::chrono::milliseconds(999);
  EXPECT_FALSE(limiter.Allow("a"));
  now += std::chrono::milliseconds(1);
  // Refused attempts did not stretch the window: a minute after the first, all is open again.
  EXPECT_EQ(limiter.SecondsLeft("a"), 0);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(limiter.Allow("a")) << i;
  EXPECT_FALSE(limiter.Allow("a"));

  kzsvc::RateLimiter open(0, std::chrono::seconds(60), [&] { return now; });
  for (int i = 0; i < 100; ++i) EXPECT_TRUE(open.Allow("a"));
}

TEST(RateLimiter, ManyKeysDoNotGrowTheTableForEver) {
  auto now = std::chrono::steady_clock::time_point{};
  kzsvc::RateLimiter limiter(1, std::chrono::seconds(60), [&] { return now; });
  for (int round = 0; round < 10; ++round) {
    for (int i = 0; i < 2000; ++i) limiter.Allow(std::to_string(round) + ":" + std::to_string(i));
    now += std::chrono::seconds(61);
  }
  EXPECT_LT(limiter.TrackedKeys(), 6000u);
}

// Accounts over a real database with a clock the test moves.
class AccountsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(store.Open(folder / "a.db", error)) << error;
    std::string code;
    ASSERT_TRUE(accounts.SignUp("kim", "kim-password", "kim-password", "10.0.0.1", code).ok());
    ASSERT_TRUE(accounts.SignUp("lee", "lee-password", "lee-password", "10.0.0.1", code).ok());
  }
  kzsvc::Answer Login(const std::string& name, const std::string& password, const std::string& address) {
    kzsvc::LoginGrant grant;
    return accounts.Login(name, kzsvc::Md5Hex(password), address, grant);
  }

  TempDir folder;
  kzsvc::Store store;
  std::int64_t wall = 1'700'000'000;
  std::chrono::steady_clock::time_point steady = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
  kzsvc::Accounts accounts{store, kzsvc::AccountRules{1000, 3600, 10}, [this] { return wall; },
                           [this] { return steady; }};
};

TEST_F(AccountsTest, AttemptsAreLimitedPerNameAcrossAddressesAndPerAddressAcrossNames) {
  // One name tried from ten addresses: the name is used up for everyone.
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Login("kim", "wrong", "10.0.1." + std::to_string(i)).refusal, kzsvc::Refusal::WrongCredentials);
  EXPECT_EQ(Login("kim", "kim-password", "10.0.2.1").refusal, kzsvc::Refusal::TooManyAttempts);
  EXPECT_EQ(Login("kim", "kim-password", "10.0.2.1").message, kzsvc::msg::kTooManyAttempts);
  // Another name is still open from a fresh address.
  EXPECT_TRUE(Login("lee", "lee-password", "10.0.2.2").ok());

  // One address trying ten names is used up for every name, the ones it never tried too.
  for (int i = 0; i < 10; ++i) Login("guess" + std::to_string(i), "x", "10.9.9.9");
  EXPECT_EQ(Login("lee", "lee-password", "10.9.9.9").refusal, kzsvc::Refusal::TooManyAttempts);
  // ...and that did not use up lee's own budget.
  EXPECT_TRUE(Login("lee", "lee-password", "10.0.2.3").ok());

  steady += std::chrono::seconds(60);
  EXPECT_TRUE(Login("kim", "kim-password", "10.0.2.1").ok());
  EXPECT_TRUE(Login("lee", "lee-password", "10.9.9.9").ok());
}

TEST_F(AccountsTest, TokensRunOutAfterTheirLifetime) {
  kzsvc::LoginGrant grant;
  ASSERT_TRUE(accounts.Login("kim", kzsvc::Md5Hex("kim-password"), "10.0.0.2", grant).ok());
  EXPECT_EQ(grant.loginTime, wall);
  kzsvc::Account account;
  EXPECT_TRUE(accounts.Session(grant.token, nullptr, account).ok());
  EXPECT_EQ(account.name, "kim");
  const std::string kim = "kim", lee = "lee";
  EXPECT_TRUE(accounts.Session(grant.token, &kim, account).ok());
  EXPECT_EQ(accounts.Session(grant.token, &lee, account).refusal, kzsvc::Refusal::UserMismatch);
  wall += 3599;
  EXPECT_TRUE(accounts.Session(grant.token, nullptr, account).ok());
  wall += 1;
  EXPECT_EQ(accounts.Session(grant.token, nullptr, account).refusal, kzsvc::Refusal::TokenExpired);
  // Long expired tokens are swept at the next log-in and are then simply unknown.
  wall += 8 * 24 * 3600;
  ASSERT_TRUE(Login("lee", "lee-password", "10.0.0.3").ok());
  EXPECT_EQ(accounts.Session(grant.token, nullptr, account).refusal, kzsvc::Refusal::TokenUnknown);
}

TEST(Store, RefusesDamagedRowsInsteadOfAnsweringWithThem) {
  TempDir folder;
  {
    kzsvc::Store store;
    std::string error;
    ASSERT_TRUE(store.Open(folder / "s.db", error)) << error;
    bool taken = true;
    ASSERT_TRUE(store.CreateAccount("m", "h", "r", 1, taken));
    EXPECT_FALSE(taken);
    ASSERT_TRUE(store.CreateAccount("m", "h", "r", 1, taken));
    EXPECT_TRUE(taken);
  }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((folder / "s.db").c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "UPDATE accounts SET version='many'", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  kzsvc::Store store;
  std::string error;
  ASSERT_TRUE(store.Open(folder / "s.db", error)) << error;
  std::optional<kzsvc::Account> account;
  EXPECT_FALSE(store.FindAccount("m", account));
  EXPECT_FALSE(account);
  std::int64_t version = 0;
  EXPECT_FALSE(store.ReadVersion(1, version));
  EXPECT_EQ(ModeOf(folder / "s.db"), 0600u);
}

TEST(Text, Utf8AndUserNames) {
  for (const char* good : {"", "abc", "汉字", "😀", "\x7f"}) EXPECT_TRUE(kzsvc::IsValidUtf8(good)) << good;
  for (const char* bad : {"\x80", "\xc3", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xff",
                          "a\xe6\xb1"}) {
    EXPECT_FALSE(kzsvc::IsValidUtf8(bad)) << bad;
  }
  EXPECT_EQ(kzsvc::Utf16Length("a汉😀"), 4u);
  EXPECT_EQ(kzsvc::TrimWhite(" \t\r\n a b \n"), "a b");
  EXPECT_EQ(kzsvc::UserNameProblem("ok name"), "");
  EXPECT_EQ(kzsvc::UserNameProblem("tab\there"), kzsvc::msg::kNameBadCharacters);
  EXPECT_EQ(kzsvc::UserNameProblem("c1\xc2\x85"), kzsvc::msg::kNameBadCharacters);
  EXPECT_EQ(kzsvc::HtmlEscape("<a href=\"x\">'&'</a>"), "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
}

TEST(Options, ParsesEveryOptionAndRefusesBadValues) {
  kzsvc::ServiceOptions o;
  std::string error;
  ASSERT_TRUE(kzsvc::ParseOptions({"--db", "/tmp/x.db", "--listen=[::1]:0", "--updates", "/srv/u", "--update-listen",
                                   "0.0.0.0:4778", "--token-lifetime", "60", "--login-limit", "0",
                                   "--hash-iterations", "5", "--max-document", "1000", "--public-url",
                                   "http://kz.example/", "--threads", "4"},
                                  o, error))
      << error;
  EXPECT_EQ(o.dbPath, "/tmp/x.db");
  EXPECT_EQ(o.listen.host, "::1");
  EXPECT_EQ(o.listen.port, 0);
  EXPECT_EQ(o.updatesDir, "/srv/u");
  EXPECT_EQ(o.updateListen.host, "0.0.0.0");
  EXPECT_EQ(o.updateListen.port, 4778);
  EXPECT_EQ(o.rules.tokenLifetime, 60);
  EXPECT_EQ(o.rules.attemptsPerMinute, 0u);
  EXPECT_EQ(o.rules.hashIterations, 5u);
  EXPECT_EQ(o.config.maxDocument, 1000u);
  EXPECT_EQ(o.config.publicUrl, "http://kz.example/");
  EXPECT_EQ(o.threads, 4u);

  kzsvc::ServiceOptions d;
  ASSERT_TRUE(kzsvc::ParseOptions({}, d, error));
  EXPECT_EQ(d.listen.host, "127.0.0.1");
  EXPECT_EQ(d.listen.port, 4777);
  EXPECT_EQ(d.updateListen.port, 4778);
  EXPECT_EQ(d.rules.tokenLifetime, 30 * 24 * 3600);
  EXPECT_EQ(d.rules.attemptsPerMinute, 10u);

  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"--listen", ":80"}, {"--listen", "host:"}, {"--listen", "host:8o"}, {"--listen", "[::1:80"},
           {"--threads", "0"}, {"--hash-iterations", "0"}, {"--max-document", "0"}, {"--db", ""},
           {"--public-url", "ftp://x/"}, {"--public-url", "http://x/\"<"}, {"extra"}}) {
    kzsvc::ServiceOptions x;
    EXPECT_FALSE(kzsvc::ParseOptions(bad, x, error)) << bad[0];
  }
}

TEST(RequestLog, TokensAreCutFromPaths) {
  const std::string token(64, 'a');
  EXPECT_EQ(kzsvc::RedactPath("/api/set/" + token), "/api/set/aaaaaa...");
  EXPECT_EQ(kzsvc::RedactPath("/api/get_version/" + token), "/api/get_version/aaaaaa...");
  EXPECT_EQ(kzsvc::RedactPath("/api/get/" + token + "/"), "/api/get/aaaaaa...");
  EXPECT_EQ(kzsvc::RedactPath("/api/login/"), "/api/login/");
  EXPECT_EQ(kzsvc::RedactPath("/kzver.txt"), "/kzver.txt");
}

}  // namespace
}  // namespace kztest
