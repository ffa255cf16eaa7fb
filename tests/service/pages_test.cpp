// The sign-up and password-recovery pages, through their forms as a browser posts them.
#include <gtest/gtest.h>

#include "messages.h"
#include "service_fixture.h"

namespace kztest {
namespace {

namespace msg = kzsvc::msg;

httplib::Params SignUpForm(const std::string& name, const std::string& password, const std::string& repeated) {
  return {{"user_name", name}, {"password", password}, {"password2", repeated}};
}

class PagesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(service.ready()) << service.output(); }
  RunningService service;
};

TEST_F(PagesTest, SignUpPageIsAUtf8FormWithTheThreeFields) {
  const PageReply page = service.Get("/register");
  ASSERT_EQ(page.status, 200);
  EXPECT_NE(page.body.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_NE(page.body.find("<form method=\"post\" action=\"register\" accept-charset=\"UTF-8\">"), std::string::npos);
  for (const char* field : {"name=\"user_name\"", "name=\"password\"", "name=\"password2\""}) {
    EXPECT_NE(page.body.find(field), std::string::npos) << field;
  }
  httplib::Client client("127.0.0.1", service.port());
  auto res = client.Get("/register");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_EQ(res->get_header_value("Cache-Control"), "no-store");
}

TEST_F(PagesTest, EveryRefusedSignUpSaysWhyAndCreatesNothing) {
  ASSERT_FALSE(service.SignUp("taken", "taken-pw").empty());
  struct Case {
    httplib::Params form;
    int status;
    const char* message;
  };
  const std::string thirtyOne(31, 'n');
  // 30 characters of Chinese are 90 bytes: the limit counts characters, not bytes.
  std::string chinese31;
  for (int i = 0; i < 31; ++i) chinese31 += "汉";
  const std::vector<Case> cases{
      {SignUpForm("", "password", "password"), 400, msg::kNameMissing},
      {SignUpForm(" \t ", "password", "password"), 400, msg::kNameMissing},
      {SignUpForm(thirtyOne, "password", "password"), 400, msg::kNameTooLong},
      {SignUpForm(chinese31, "password", "password"), 400, msg::kNameTooLong},
      {SignUpForm("😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀", "password", "password"), 400, msg::kNameTooLong},
      {SignUpForm("bad\x01name", "password", "password"), 400, msg::kNameBadCharacters},
      {SignUpForm("line\nbreak", "password", "password"), 400, msg::kNameBadCharacters},
      {SignUpForm("bad\xff\xfe", "password", "password"), 400, msg::kNameBadCharacters},
      {SignUpForm("CommonUser", "password", "password"), 400, msg::kNameReserved},
      {SignUpForm("newone", "", ""), 400, msg::kPasswordMissing},
      {SignUpForm("newone", "short", "short"), 400, msg::kPasswordTooShort},
      {SignUpForm("newone", std::string(129, 'p'), std::string(129, 'p')), 400, msg::kPasswordTooLong},
      {SignUpForm("newone", "password", "Password"), 400, msg::kPasswordsDiffer},
      {SignUpForm("newone", "password", ""), 400, msg::kPasswordsDiffer},
      {SignUpForm("taken", "password", "password"), 409, msg::kNameTaken},
      {SignUpForm(" taken ", "password", "password"), 409, msg::kNameTaken},
      {{{"password", "password"}, {"password2", "password"}}, 400, msg::kNameMissing},
  };
  for (const Case& c : cases) {
    const PageReply page = service.PostForm("/register", c.form);
    EXPECT_EQ(page.status, c.status) << c.message;
    EXPECT_EQ(ErrorOf(page.body), c.message);
    EXPECT_EQ(RecoveryCodeOf(page.body), "");
    // The form comes back for another try.
    EXPECT_NE(page.body.find("name=\"password2\""), std::string::npos);
  }
  EXPECT_TRUE(service.Login("newone", "password").empty());
}

TEST_F(PagesTest, NamesAtTheLimitAndOfEveryScriptAreTakenAndLogIn) {
  std::string chinese30;
  for (int i = 0; i < 30; ++i) chinese30 += "汉";
  for (const std::string& name : {std::string(30, 'n'), chinese30, std::string("O'Brien & <Sons>"),
                                  std::string("  trimmed  ")}) {
    const PageReply page = service.PostForm("/register", SignUpForm(name, "pass word", "pass word"));
    EXPECT_EQ(page.status, 200) << name << ErrorOf(page.body);
    EXPECT_EQ(RecoveryCodeOf(page.body).size(), 24u) << name;
  }
  EXPECT_FALSE(service.Login(std::string(30, 'n'), "pass word").empty());
  EXPECT_FALSE(service.Login(chinese30, "pass word").empty());
  EXPECT_FALSE(service.Login("O'Brien & <Sons>", "pass word").empty());
  // Stored as the client would send it after trimming.
  EXPECT_FALSE(service.Login("trimmed", "pass word").empty());
}

TEST_F(PagesTest, WhatComesFromTheRequestIsEscaped) {
  const std::string name = "<b>\"x'&";
  const PageReply refused = service.PostForm("/register", SignUpForm(name, "password", "Xyzzy-42"));
  EXPECT_EQ(refused.status, 400);
  EXPECT_EQ(refused.body.find("<b>"), std::string::npos);
  EXPECT_NE(refused.body.find("value=\"&lt;b&gt;&quot;x&#39;&amp;\""), std::string::npos);
  // Passwords are never written back into a page.
  EXPECT_EQ(refused.body.find("Xyzzy-42"), std::string::npos);

  const PageReply done = service.PostForm("/register", SignUpForm(name, "password", "password"));
  EXPECT_EQ(done.status, 200);
  EXPECT_EQ(done.body.find("<b>"), std::string::npos);
  EXPECT_NE(done.body.find("&lt;b&gt;&quot;x&#39;&amp;"), std::string::npos);
}

TEST(RecoveryPage, RecoveryCodeSetsANewPasswordOnceAndEndsTheSessions) {
  // Recovery and log-in share one attempt budget; this test makes more than ten of them.
  RunningService service({"--login-limit", "100"});
  ASSERT_TRUE(service.ready()) << service.output();
  const std::string code = service.SignUp("hana", "old-password");
  ASSERT_FALSE(code.empty());
  const std::string oldToken = service.Login("hana", "old-password");
  ASSERT_FALSE(oldToken.empty());

  const auto recover = [&](const std::string& name, const std::string& typed, const std::string& pw,
                           const std::string& pw2) {
    return service.PostForm("/forget",
                            {{"user_name", name}, {"recovery_code", typed}, {"password", pw}, {"password2", pw2}});
  };
  struct Case {
    std::string name, code, pw, pw2;
    int status;
    const char* message;
  };
  std::string wrong = code;
  wrong[0] = wrong[0] == 'A' ? 'B' : 'A';
  const std::vector<Case> refusals{
      {"hana", wrong, "new-password", "new-password", 403, msg::kRecoveryWrong},
      {"nobody", code, "new-password", "new-password", 403, msg::kRecoveryWrong},
      {"hana", "not a code", "new-password", "new-password", 403, msg::kRecoveryWrong},
      {"hana", "", "new-password", "new-password", 400, msg::kRecoveryMissing},
      {"", code, "new-password", "new-password", 400, msg::kRecoveryMissing},
      {"hana", code, "new-password", "new-passwort", 400, msg::kPasswordsDiffer},
      {"hana", code, "tiny", "tiny", 400, msg::kPasswordTooShort},
  };
  for (const Case& c : refusals) {
    const PageReply page = recover(c.name, c.code, c.pw, c.pw2);
    EXPECT_EQ(page.status, c.status) << c.message;
    EXPECT_EQ(ErrorOf(page.body), c.message);
  }
  EXPECT_FALSE(service.Login("hana", "old-password").empty());

  // Typed the way people type: lower case, blanks instead of dashes.
  std::string typed;
  for (char ch : code) typed += ch == '-' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  const PageReply done = recover("hana", typed, "new-password", "new-password");
  ASSERT_EQ(done.status, 200) << ErrorOf(done.body);
  const std::string fresh = RecoveryCodeOf(done.body);
  EXPECT_EQ(fresh.size(), 24u);
  EXPECT_NE(fresh, code);

  EXPECT_TRUE(service.Login("hana", "old-password").empty());
  EXPECT_FALSE(service.Login("hana", "new-password").empty());
  EXPECT_EQ(service.Call("api/get_version/" + oldToken, {{"user_name", "hana"}})["result"], 104);
  // The spent code is spent; the new one works.
  EXPECT_EQ(recover("hana", code, "third-password", "third-password").status, 403);
  EXPECT_EQ(recover("hana", fresh, "third-password", "third-password").status, 200);
  EXPECT_FALSE(service.Login("hana", "third-password").empty());
}

TEST_F(PagesTest, SignUpsFromOneAddressAreLimitedAMinute) {
  for (int i = 0; i < 10; ++i) ASSERT_FALSE(service.SignUp("user" + std::to_string(i), "password").empty()) << i;
  const PageReply page = service.PostForm("/register", SignUpForm("user10", "password", "password"));
  EXPECT_EQ(page.status, 429);
  EXPECT_EQ(ErrorOf(page.body), msg::kTooManyAttempts);
}

TEST_F(PagesTest, UnknownPagesAreNotFound) {
  for (const char* path : {"/nothing", "/register/x", "/api/"}) EXPECT_EQ(service.Get(path).status, 404) << path;
  EXPECT_EQ(service.Get("/").status, 200);
}

}  // namespace
}  // namespace kztest
