// The login command: its field checks, the request it sends, what its reply means, and the whole
// login against the real kz-service (trimmed names, 30 and 31 characters, a wrong password, a
// service that is down, the download of a newer copy before the logged-in page shows).
#include <gtest/gtest.h>

#include <string>

#include "account_fixture.h"
#include "base/log.h"
#include "cloud/login.h"
#include "cloud/sync_api.h"
#include "cloud/sync_document.h"
#include "cloud/text_codec.h"
#include "local_server.h"
#include "service_process.h"

namespace {

using kz::cloud::LoginAnswer;
using kz::cloud::LoginFields;
namespace text = kz::cloud::text;

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(LoginFieldsTest, TrimsTheNameCountsCharactersAndRefusesEmptyFields) {
  struct Case {
    std::string name, password, message, userName;
  } cases[] = {
      {" \talice\r\n", " pass word ", "", "alice"},
      {Repeat("a", 30), "x", "", Repeat("a", 30)},
      {Repeat("a", 31), "x", text::kNameTooLong, ""},
      {Repeat("鼠", 30), "x", "", Repeat("鼠", 30)},  // characters, not bytes
      {Repeat("鼠", 31), "x", text::kNameTooLong, ""},
      {"  " + Repeat("b", 30) + "  ", "x", "", Repeat("b", 30)},
      {"", "x", text::kEnterNameOrPassword, ""},
      {" \t\n", "x", text::kEnterNameOrPassword, ""},
      {"alice", "", text::kEnterNameOrPassword, ""},
  };
  for (const Case& c : cases) {
    LoginFields fields;
    EXPECT_EQ(kz::cloud::CheckLoginFields(c.name, c.password, fields), c.message) << c.name;
    if (c.message.empty()) {
      EXPECT_EQ(fields.userName, c.userName);
      EXPECT_EQ(fields.password, c.password);  // never trimmed
    }
  }
}

TEST(LoginRequestTest, SendsTheDigestOfThePasswordWithItsBlanks) {
  LoginFields fields{"alice b", " pass word "};
  kz::cloud::ApiRequest request = kz::cloud::MakeLoginRequest(fields, "http://127.0.0.1:9/");
  EXPECT_EQ(request.Url(), "http://127.0.0.1:9/api/login/");
  EXPECT_EQ(request.Body(), "device=pc&password=" + kz::cloud::Md5Hex(" pass word ") + "&user_name=alice%20b&");
  EXPECT_EQ(kz::cloud::Md5Hex(" pass word ").size(), 32u);
}

TEST(LoginReplyTest, ReadsEachKindOfAnswer) {
  EXPECT_EQ(kz::cloud::ReadLoginReply(false, "couldn't connect").kind, LoginAnswer::Kind::kNoConnection);

  LoginAnswer notJson = kz::cloud::ReadLoginReply(true, "<html>oops</html>");
  EXPECT_EQ(notJson.kind, LoginAnswer::Kind::kRefused);
  EXPECT_EQ(notJson.message, "");

  LoginAnswer wrong = kz::cloud::ReadLoginReply(true, R"({"result":102,"message":"  用户名或密码错误。 "})");
  EXPECT_EQ(wrong.kind, LoginAnswer::Kind::kRefused);
  EXPECT_EQ(wrong.message, "用户名或密码错误。");

  LoginAnswer ok =
      kz::cloud::ReadLoginReply(true, R"({"result":100,"token":"a-b_c.9~","version":"7x","login_time":1767225600})");
  EXPECT_EQ(ok.kind, LoginAnswer::Kind::kAccepted);
  EXPECT_EQ(ok.token, "a-b_c.9~");
  EXPECT_EQ(ok.serverVersion, 7);
  EXPECT_EQ(ok.loginTime, 1767225600);
  EXPECT_EQ(kz::cloud::ReadLoginReply(true, R"({"result":100,"token":"t","version":"none"})").serverVersion, 0);

  // A token that cannot travel in a path unchanged would put a different path on the wire.
  for (const char* token : {R"("")", R"("../get/x")", R"("a b")", "17"}) {
    LoginAnswer odd = kz::cloud::ReadLoginReply(true, std::string(R"({"result":100,"version":"1","token":)") + token + "}");
    EXPECT_EQ(odd.kind, token == std::string("17") ? LoginAnswer::Kind::kAccepted : LoginAnswer::Kind::kRefused)
        << token;
  }
}

TEST(LoginReplyTest, PageAddressesMustBeOneHttpAddress) {
  EXPECT_EQ(kz::cloud::ReadPageAddress(" http://127.0.0.1:4777/register\n"), "http://127.0.0.1:4777/register");
  EXPECT_EQ(kz::cloud::ReadPageAddress("https://x/forget"), "https://x/forget");
  for (const char* bad : {"", "file:///etc/passwd", "javascript:alert(1)", "http://a b/", "{\"result\":108}"})
    EXPECT_EQ(kz::cloud::ReadPageAddress(bad), "") << bad;
}

using kztest::TempDir;

struct ServiceLogin : ::testing::Test {
  TempDir dir;
  std::unique_ptr<kztest::ServiceProcess> service;
  void SetUp() override {
    KZ_NEED_SERVICE();
    kz::log::SetPath(dir / "kz_log.txt");
    service = std::make_unique<kztest::ServiceProcess>(dir.path());
    ASSERT_TRUE(service->ok()) << service->Log();
  }
  void TearDown() override { kz::log::SetPath(""); }
};

TEST_F(ServiceLogin, ThirtyCharactersAndTrimmedBlanksLogInAndStoreThePassword) {
  const std::string name = Repeat("n", 30);
  ASSERT_TRUE(kztest::SignUp(service->Base(), name, " my secret "));
  kztest::Computer pc(service->Base());
  EXPECT_TRUE(pc.LogIn("  " + name + "\t", " my secret "));
  EXPECT_EQ(pc.messages, std::vector<std::string>());
  EXPECT_EQ(pc.pages, std::vector<std::string>{"loggedIn"});
  EXPECT_EQ(pc.busy, (std::vector<bool>{true, false}));
  const kz::SessionValues session = pc.Session();
  EXPECT_EQ(session.userName, name);
  EXPECT_FALSE(session.token.empty());
  EXPECT_EQ(pc.UserText("user_pwd"), " my secret ");  // as typed, for the automatic login
  // First login on this computer.
  EXPECT_EQ(pc.score, 1);
  EXPECT_EQ(pc.level, 1);
  EXPECT_EQ(pc.UserValue("login_days"), 1);
  EXPECT_EQ(pc.UserValue("signin_count"), 1);
  EXPECT_GT(pc.UserValue("login_time"), 0);
  EXPECT_EQ(pc.honorChecks, 1);
  kz::store::Recordset global(pc.Db());
  ASSERT_TRUE(global.Open("kz_global"));
  std::string lastUser;
  global.GetFieldValue("last_user", lastUser);
  EXPECT_EQ(lastUser, name);

  // The automatic login finds the same name and password.
  std::string user, password;
  EXPECT_TRUE(pc.account->StoredLogin(user, password));
  EXPECT_EQ(user, name);
  EXPECT_EQ(password, " my secret ");
}

TEST_F(ServiceLogin, RefusalsShowTheirMessageAndSendNothingWhenTheFieldsAreWrong) {
  ASSERT_TRUE(kztest::SignUp(service->Base(), "alice", "secret1"));
  kztest::Computer pc(service->Base());
  EXPECT_EQ(pc.account->Login(Repeat("a", 31), "secret1"), kz::cloud::Account::LoginStart::kRefused);
  EXPECT_EQ(pc.account->Login("alice", ""), kz::cloud::Account::LoginStart::kRefused);
  EXPECT_EQ(pc.messages, (std::vector<std::string>{text::kNameTooLong, text::kEnterNameOrPassword}));
  EXPECT_TRUE(pc.busy.empty());  // nothing was sent

  pc.messages.clear();
  EXPECT_FALSE(pc.LogIn("alice", "secret2"));
  ASSERT_EQ(pc.messages.size(), 1u);
  EXPECT_NE(pc.messages[0].find("Wrong user name or password"), std::string::npos) << pc.messages[0];
  EXPECT_TRUE(pc.Session().token.empty());
  EXPECT_EQ(pc.Session().userName, kz::kLocalUserName);
  EXPECT_TRUE(pc.pages.empty());
  // The password of blanks is another password: the digest is of the bytes as typed.
  pc.messages.clear();
  EXPECT_FALSE(pc.LogIn("alice", " secret1"));
  EXPECT_EQ(pc.messages.size(), 1u);
}

TEST(LoginDownTest, AServiceThatIsDownCannotBeLoggedInTo) {
  std::string base;
  {
    kztest::LocalServer gone;  // a port that was free a moment ago: nothing listens on it now
    ASSERT_TRUE(gone.Start());
    base = gone.Base();
  }
  kztest::Computer pc(base);
  EXPECT_FALSE(pc.LogIn("alice", "secret1"));
  EXPECT_EQ(pc.messages, std::vector<std::string>{text::kCannotLogIn});
  EXPECT_EQ(pc.busy, (std::vector<bool>{true, false}));
  EXPECT_TRUE(pc.Session().token.empty());
}

TEST(LoginDownTest, ASecondLoginWhileTheFirstRunsIsIgnored) {
  kztest::LocalServer slow;
  std::atomic<int> logins{0};
  slow.server().Post("/api/login/", [&](const httplib::Request&, httplib::Response& res) {
    ++logins;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    res.set_content(R"({"result":102,"message":"no"})", "application/json");
  });
  ASSERT_TRUE(slow.Start());
  kztest::Computer pc(slow.Base());
  EXPECT_EQ(pc.account->Login("alice", "x"), kz::cloud::Account::LoginStart::kStarted);
  EXPECT_EQ(pc.account->Login("alice", "x"), kz::cloud::Account::LoginStart::kIgnored);
  EXPECT_TRUE(pc.PumpUntil([&] { return !pc.account->LoginRunning(); }));
  EXPECT_EQ(logins.load(), 1);
  EXPECT_EQ(pc.messages, std::vector<std::string>{"no"});
}

TEST_F(ServiceLogin, ANewerCopyOnTheServiceIsDownloadedBeforeTheLoggedInPageShows) {
  ASSERT_TRUE(kztest::SignUp(service->Base(), "carol", "secret1"));
  {
    kztest::Computer first(service->Base());
    ASSERT_TRUE(first.LogIn("carol", "secret1"));
    kz::settings::MouseSettingsModel& mouse = first.services->Profiles().MouseSettings();
    mouse.SetLevelValue(1, 2400);
    ASSERT_TRUE(first.services->Profiles().SaveAll());
    first.uploadRequest.Set();
    first.engine->Start();
    ASSERT_TRUE(first.PumpUntil([&] { return first.engine->UploadsAnswered() >= 1 && first.Session().syncLast > 0; }));
  }
  kztest::Computer second(service->Base());
  ASSERT_TRUE(second.LogIn("carol", "secret1"));
  EXPECT_EQ(second.messages, std::vector<std::string>());
  // The reload of the download came before the page.
  ASSERT_FALSE(second.reloads.empty());
  EXPECT_EQ(second.pages, std::vector<std::string>{"loggedIn"});
  EXPECT_EQ(second.services->Profiles().MouseSettings().Settings().levels[1].value, 2400);
  EXPECT_GT(second.Session().syncLast, 0);
  EXPECT_EQ(second.UserValue("sync_last"), second.Session().syncLast);
  EXPECT_EQ(second.UserText("user_pwd"), "secret1");
  // The refresh writes every page to the mouse between its two log lines (on the writer thread).
  EXPECT_TRUE(second.PumpUntil([&] {
    const std::vector<std::string> log = kztest::LogMessages(dir / "kz_log.txt");
    auto start = std::find(log.begin(), log.end(), "Start Write Data ");
    return start != log.end() && std::find(start, log.end(), "Write Data Complete") != log.end();
  }));
  ASSERT_TRUE(second.PumpUntil([&] {
    for (const std::string& line : second.Trace())
      if (line.rfind("03 10", 0) == 0) return true;
    return false;
  }));
}

}  // namespace
