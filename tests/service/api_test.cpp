// The API as the client uses it, against a real kz-service.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <numeric>
#include <regex>
#include <thread>

#include "messages.h"
#include "service_fixture.h"

namespace kztest {
namespace {

namespace msg = kzsvc::msg;

// A small document of the shape the client builds: every value a string, styled writer.
const char kDocument[] = R"({
   "kz_user" : {
      "my_level" : "3",
      "my_score" : "12",
      "sync_last" : "0"
   },
   "kz_honor" : null,
   "macro_set" : [
      {
         "mset_guid" : "{0A1B2C3D-0001-0002-0304-05060708090A}",
         "mset_name" : "游戏 & <宏> \"quoted\" 'x' 100%"
      }
   ],
   "macro_set_detail" : null,
   "main" : [ { "dpi_1" : "1600", "profile_id" : "1" } ]
}
)";

std::map<std::string, std::string> UserField(const std::string& name) { return {{"user_name", name}}; }

std::map<std::string, std::string> Upload(const std::string& name, const std::string& content) {
  return {{"content", content}, {"force", "1"}, {"user_name", name}, {"version", "1"}};
}

class ApiTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(service.ready()) << service.output(); }
  RunningService service;
};

TEST_F(ApiTest, SignUpLoginAndVersionsCountUpWithEachUpload) {
  const std::string name = "玩家 one";
  ASSERT_FALSE(service.SignUp(name, "secret 密码").empty());

  const std::time_t before = std::time(nullptr);
  const Json::Value login =
      service.Call("api/login/", {{"device", "pc"}, {"password", Md5HexOf("secret 密码")}, {"user_name", name}});
  ASSERT_EQ(login["result"], 100) << login.toStyledString();
  // Members as the client reads them: the token and the version as text, the time as a number.
  ASSERT_TRUE(login["token"].isString());
  EXPECT_TRUE(std::regex_match(login["token"].asString(), std::regex("[0-9a-f]{64}")));
  EXPECT_EQ(login["version"], "0");
  ASSERT_TRUE(login["login_time"].isIntegral());
  EXPECT_GE(login["login_time"].asInt64(), before);
  EXPECT_LE(login["login_time"].asInt64(), std::time(nullptr));
  const std::string token = login["token"].asString();

  EXPECT_EQ(service.Call("api/get_version/" + token, UserField(name))["data"], "0");
  for (int expected = 1; expected <= 3; ++expected) {
    const Json::Value set = service.Call("api/set/" + token, Upload(name, kDocument));
    ASSERT_EQ(set["result"], 100) << set.toStyledString();
    ASSERT_TRUE(set["version"].isIntegral());
    EXPECT_EQ(set["version"].asInt(), expected);
    const Json::Value poll = service.Call("api/get_version/" + token, UserField(name));
    EXPECT_EQ(poll["result"], 100);
    EXPECT_EQ(poll["data"], std::to_string(expected));
  }

  // The stored document comes back as an object, unchanged but for the user's name in kz_user.
  const Json::Value got = service.Call("api/get/" + token, UserField(name));
  ASSERT_EQ(got["result"], 100) << got.toStyledString();
  Json::Value expected = ParseJson(kDocument);
  expected["kz_user"]["user_name"] = name;
  EXPECT_EQ(got["data"], expected) << got["data"].toStyledString();

  // A later log-in gets a new token and the current version; the first token stays good.
  const Json::Value again =
      service.Call("api/login/", {{"device", "pc"}, {"password", Md5HexOf("secret 密码")}, {"user_name", name}});
  EXPECT_EQ(again["version"], "3");
  EXPECT_NE(again["token"].asString(), token);
  EXPECT_EQ(service.Call("api/get_version/" + token, UserField(name))["result"], 100);
}

TEST_F(ApiTest, DocumentWithoutUserRowGetsOneCarryingTheNameAndAForeignNameIsReplaced) {
  ASSERT_FALSE(service.SignUp("alice", "alice-pw").empty());
  const std::string token = service.Login("alice", "alice-pw");
  ASSERT_FALSE(token.empty());
  for (const auto& [upload, expectedUser] : std::vector<std::pair<std::string, std::string>>{
           {R"({"main":null})", R"({"user_name":"alice"})"},
           {R"({"kz_user":null})", R"({"user_name":"alice"})"},
           {R"({"kz_user":{"user_name":"mallory","my_score":"5"}})", R"({"user_name":"alice","my_score":"5"})"}}) {
    ASSERT_EQ(service.Call("api/set/" + token, Upload("alice", upload))["result"], 100) << upload;
    const Json::Value got = service.Call("api/get/" + token, UserField("alice"));
    ASSERT_EQ(got["result"], 100) << upload;
    EXPECT_EQ(got["data"]["kz_user"], ParseJson(expectedUser)) << upload;
  }
}

TEST_F(ApiTest, AHeavyDocumentOfMegabytesGoesUpAndComesBackWhole) {
  // Far past the 8 KiB the HTTP library parses of a form by itself, as a user with a thousand
  // macros is; every byte that needs percent-encoding is in it.
  Json::Value doc(Json::objectValue);
  doc["kz_user"]["my_score"] = "7";
  Json::Value& rows = doc["macro_set_detail"] = Json::Value(Json::arrayValue);
  std::string events;
  for (int e = 0; e < 60; ++e) events += std::to_string(65 + e % 26) + "," + std::to_string(e % 2) + ",100;";
  for (int i = 0; i < 1000; ++i) {
    Json::Value row(Json::objectValue);
    row["macro_guid"] = "{" + std::to_string(i) + "-0000-0000-0000-000000000000}";
    row["macro_name"] = "宏 " + std::to_string(i) + " & + = % ' \" \\ \n";
    row["macro_content"] = events;
    rows.append(row);
  }
  const std::string content = doc.toStyledString();
  ASSERT_GT(content.size(), 600u * 1024);
  ASSERT_FALSE(service.SignUp("heavy", "heavy-pw").empty());
  const std::string token = service.Login("heavy", "heavy-pw");
  const Json::Value set = service.Call("api/set/" + token, Upload("heavy", content));
  ASSERT_EQ(set["result"], 100) << set.toStyledString();
  const Json::Value got = service.Call("api/get/" + token, UserField("heavy"));
  ASSERT_EQ(got["result"], 100);
  doc["kz_user"]["user_name"] = "heavy";
  EXPECT_TRUE(got["data"] == doc);
}

TEST_F(ApiTest, BadDocumentsAreRefusedWithAMessageAndLeaveTheVersion) {
  RunningService small({"--max-document", "2000"});
  ASSERT_TRUE(small.ready()) << small.output();
  ASSERT_FALSE(small.SignUp("bob", "bob-pw-1").empty());
  const std::string token = small.Login("bob", "bob-pw-1");
  ASSERT_EQ(small.Call("api/set/" + token, Upload("bob", "{}"))["version"], 1);

  struct Case {
    std::map<std::string, std::string> fields;
    const char* message;
  };
  const std::vector<Case> cases{
      {{{"user_name", "bob"}}, msg::kDocumentMissing},
      {Upload("bob", ""), msg::kDocumentNotJson},
      {Upload("bob", "not json"), msg::kDocumentNotJson},
      {Upload("bob", "[1,2]"), msg::kDocumentNotJson},
      {Upload("bob", "\"text\""), msg::kDocumentNotJson},
      {Upload("bob", "{} {}"), msg::kDocumentNotJson},
      {Upload("bob", "{\"main\": [1,"), msg::kDocumentNotJson},
      {Upload("bob", std::string(200, '[') + std::string(200, ']')), msg::kDocumentNotJson},
      {Upload("bob", R"({"kz_user":"bob"})"), msg::kDocumentBadUser},
      {Upload("bob", R"({"kz_user":[]})"), msg::kDocumentBadUser},
      {Upload("bob", "{\"main\":\"" + std::string(2000, 'x') + "\"}"), msg::kDocumentTooLarge},
  };
  for (const Case& c : cases) {
    const Json::Value reply = small.Call("api/set/" + token, c.fields);
    EXPECT_NE(reply["result"], 100) << reply.toStyledString();
    EXPECT_EQ(reply["message"], c.message) << reply.toStyledString();
  }
  // Far past even the body limit: still a JSON refusal, not a dropped connection.
  const Json::Value huge = small.Call("api/set/" + token, Upload("bob", std::string(30000, ' ') + "{}"));
  EXPECT_NE(huge["result"], 100);
  EXPECT_EQ(huge["message"], msg::kDocumentTooLarge) << huge.toStyledString();

  EXPECT_EQ(small.Call("api/get_version/" + token, UserField("bob"))["data"], "1");
}

TEST_F(ApiTest, UnknownAndMalformedTokensAreRefusedOnEveryPath) {
  ASSERT_FALSE(service.SignUp("carol", "carol-pw").empty());
  const std::string good = service.Login("carol", "carol-pw");
  std::string other = good;
  other[0] = other[0] == 'a' ? 'b' : 'a';
  for (const std::string& token : {other, std::string(), std::string("abc"), good + "0", std::string(64, 'G'),
                                   std::string("' OR 1=1 --")}) {
    for (const char* path : {"api/set/", "api/get_version/", "api/get/"}) {
      const Json::Value reply = service.Call(path + token, Upload("carol", "{}"));
      EXPECT_EQ(reply["result"], 104) << path << token;
      EXPECT_EQ(reply["message"], msg::kTokenUnknown) << path << token;
    }
  }
  EXPECT_EQ(service.Call("api/get_version/" + good, UserField("carol"))["data"], "0");
}

TEST_F(ApiTest, WrongPasswordsAndMissingFieldsAreRefused) {
  ASSERT_FALSE(service.SignUp("dave", "dave-pw").empty());
  struct Case {
    std::map<std::string, std::string> fields;
    int result;
    const char* message;
  };
  const std::vector<Case> cases{
      {{{"device", "pc"}, {"password", Md5HexOf("wrong")}, {"user_name", "dave"}}, 102, msg::kLoginWrong},
      // The plain password is not what the client sends, so it does not log in either.
      {{{"device", "pc"}, {"password", "dave-pw"}, {"user_name", "dave"}}, 102, msg::kLoginWrong},
      {{{"device", "pc"}, {"password", Md5HexOf("dave-pw")}, {"user_name", "Dave"}}, 102, msg::kLoginWrong},
      {{{"device", "pc"}, {"password", Md5HexOf("dave-pw")}, {"user_name", "nobody"}}, 102, msg::kLoginWrong},
      {{{"device", "pc"}, {"password", std::string(5000, 'a')}, {"user_name", "dave"}}, 102, msg::kLoginWrong},
      {{{"device", "pc"}, {"user_name", "dave"}}, 101, msg::kLoginMissing},
      {{{"device", "pc"}, {"password", Md5HexOf("dave-pw")}}, 101, msg::kLoginMissing},
  };
  for (const Case& c : cases) {
    const Json::Value reply = service.Call("api/login/", c.fields);
    EXPECT_EQ(reply["result"], c.result) << reply.toStyledString();
    EXPECT_EQ(reply["message"], c.message);
    EXPECT_FALSE(reply.isMember("token"));
  }
  EXPECT_FALSE(service.Login("dave", "dave-pw").empty());
}

TEST_F(ApiTest, LoginAttemptsAreLimitedAMinute) {
  ASSERT_FALSE(service.SignUp("erin", "erin-pw").empty());
  const std::map<std::string, std::string> wrong{{"device", "pc"}, {"password", Md5HexOf("x")}, {"user_name", "erin"}};
  for (int i = 0; i < 10; ++i) ASSERT_EQ(service.Call("api/login/", wrong)["result"], 102) << i;
  // The eleventh attempt is refused before the password is looked at, the right one too.
  const Json::Value refused =
      service.Call("api/login/", {{"device", "pc"}, {"password", Md5HexOf("erin-pw")}, {"user_name", "erin"}});
  EXPECT_EQ(refused["result"], 103);
  EXPECT_EQ(refused["message"], msg::kTooManyAttempts);
  EXPECT_FALSE(refused.isMember("token"));
}

TEST_F(ApiTest, TwoUsersNeverSeeEachOthersDocuments) {
  ASSERT_FALSE(service.SignUp("ann", "ann-pw-1").empty());
  ASSERT_FALSE(service.SignUp("ben", "ben-pw-1").empty());
  const std::string ann = service.Login("ann", "ann-pw-1");
  const std::string ben = service.Login("ben", "ben-pw-1");
  ASSERT_EQ(service.Call("api/set/" + ann, Upload("ann", R"({"main":[{"dpi_1":"400"}]})"))["version"], 1);
  ASSERT_EQ(service.Call("api/set/" + ann, Upload("ann", R"({"main":[{"dpi_1":"800"}]})"))["version"], 2);
  EXPECT_EQ(service.Call("api/get_version/" + ben, UserField("ben"))["data"], "0");
  EXPECT_EQ(service.Call("api/get/" + ben, UserField("ben"))["result"], 107);
  ASSERT_EQ(service.Call("api/set/" + ben, Upload("ben", R"({"main":[{"dpi_1":"1600"}]})"))["version"], 1);

  EXPECT_EQ(service.Call("api/get/" + ann, UserField("ann"))["data"]["main"][0]["dpi_1"], "800");
  EXPECT_EQ(service.Call("api/get/" + ben, UserField("ben"))["data"]["main"][0]["dpi_1"], "1600");
  // One user's token with the other's name is refused, not answered with either's data.
  for (const char* path : {"api/get/", "api/get_version/", "api/set/"}) {
    const Json::Value reply = service.Call(path + ben, Upload("ann", "{}"));
    EXPECT_EQ(reply["result"], 109) << path;
    EXPECT_EQ(reply["message"], msg::kUserMismatch);
    EXPECT_FALSE(reply.isMember("data"));
  }
  EXPECT_EQ(service.Call("api/get_version/" + ann, UserField("ann"))["data"], "2");
  EXPECT_EQ(service.Call("api/get_version/" + ben, UserField("ben"))["data"], "1");
}

TEST_F(ApiTest, ConcurrentUploadsEachGetTheirOwnVersion) {
  ASSERT_FALSE(service.SignUp("fay", "fay-pw-1").empty());
  const std::string token = service.Login("fay", "fay-pw-1");
  constexpr int kThreads = 4, kEach = 10;
  std::vector<std::vector<int>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        const std::string doc = "{\"main\":[{\"n\":\"" + std::to_string(t * 100 + i) + "\"}]}";
        seen[t].push_back(service.Call("api/set/" + token, Upload("fay", doc))["version"].asInt());
      }
    });
  }
  for (auto& t : threads) t.join();
  std::vector<int> all;
  for (const auto& s : seen) all.insert(all.end(), s.begin(), s.end());
  std::sort(all.begin(), all.end());
  std::vector<int> expected(kThreads * kEach);
  std::iota(expected.begin(), expected.end(), 1);
  EXPECT_EQ(all, expected);
  EXPECT_EQ(service.Call("api/get_version/" + token, UserField("fay"))["data"], std::to_string(kThreads * kEach));
}

TEST(ApiExpiry, ExpiredTokensAreRefusedAndANewLoginWorks) {
  RunningService service({"--token-lifetime", "1"});
  ASSERT_TRUE(service.ready()) << service.output();
  ASSERT_FALSE(service.SignUp("gus", "gus-pw-1").empty());
  const std::string token = service.Login("gus", "gus-pw-1");
  ASSERT_FALSE(token.empty());
  Json::Value reply;
  ASSERT_TRUE(WaitFor(
      [&] {
        reply = service.Call("api/get_version/" + token, UserField("gus"));
        return reply["result"] != 100;
      },
      10));
  EXPECT_EQ(reply["result"], 105);
  EXPECT_EQ(reply["message"], msg::kTokenExpired);
  EXPECT_EQ(service.Call("api/set/" + token, Upload("gus", "{}"))["result"], 105);
  EXPECT_EQ(service.Call("api/get/" + token, UserField("gus"))["result"], 105);
  const std::string fresh = service.Login("gus", "gus-pw-1");
  EXPECT_EQ(service.Call("api/set/" + fresh, Upload("gus", "{}"))["result"], 100);
}

TEST_F(ApiTest, PageAddressesAreAbsoluteUrlsOfTheServiceItself) {
  // Plain text, nothing but the address: the client opens the whole body.
  EXPECT_EQ(service.CallText("api/get_reg_url/", {}), service.base() + "register");
  EXPECT_EQ(service.CallText("api/get_forget_url/", {}), service.base() + "forget");
  const PageReply form = service.Get("/register");
  EXPECT_EQ(form.status, 200);
  EXPECT_NE(form.body.find("name=\"password2\""), std::string::npos);
  EXPECT_EQ(service.Get("/forget").status, 200);

  // A Host header that is not a plain host cannot put anything into the link.
  httplib::Client client("127.0.0.1", service.port());
  auto res = client.Post("/api/get_reg_url/", {{"Host", "evil.example/\"><script>"}}, "", "application/x-www-form-urlencoded");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, service.base() + "register");
  res = client.Post("/api/get_forget_url/", {{"Host", "kz.example:8080"}}, "", "application/x-www-form-urlencoded");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, "http://kz.example:8080/forget");

  RunningService announced({"--public-url", "https://kz.example/svc/"});
  ASSERT_TRUE(announced.ready());
  EXPECT_EQ(announced.CallText("api/get_reg_url/", {}), "https://kz.example/svc/register");
}

}  // namespace
}  // namespace kztest
