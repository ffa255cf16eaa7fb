// The client against the real kz-service: a heavy user's whole data set goes up as the sync
// document and comes back into another database with every row equal by content.
#include "cloud/api_reply.h"
#include "cloud/api_request.h"
#include "cloud/sync_document.h"
#include "cloud/text_codec.h"
#include "heavy_user.h"
#include "service_process.h"

#include <gtest/gtest.h>

namespace {

using namespace kz::cloud;
using kz::store::Database;
using kztest::ServiceProcess;

ApiReply Call(const std::string& base, const std::string& path, const std::vector<std::string>& fields) {
  ApiRequest request(path, base);
  for (const std::string& text : fields) request << text;
  EXPECT_TRUE(request.Perform()) << path << ": " << request.ReplyText();
  return ApiReply(request.ReplyText());
}

TEST(ServiceRoundTrip, AHeavyUserComesBackRowForRow) {
  KZ_NEED_SERVICE();
  kztest::TempDir dir;
  ServiceProcess service(dir.path());
  ASSERT_TRUE(service.ok()) << service.Log();
  const std::string user = "heavy";
  ASSERT_TRUE(kztest::SignUp(service.Base(), user, "heavy password"));
  const std::string token = kztest::LogIn(service.Base(), user, "heavy password");
  ASSERT_FALSE(token.empty()) << service.Log();

  Database first;
  ASSERT_TRUE(kztest::MakeDatabase(dir / "first.mdb", first));
  ASSERT_TRUE(kztest::AddHeavyUser(first, user, "heavy password"));
  ASSERT_TRUE(kztest::AddHeavyUser(first, "neighbour", "x", {1, 1, 3, 4}));
  std::string document;
  ASSERT_TRUE(BuildSyncDocumentText(first, user, document));

  for (int version = 1; version <= 2; ++version) {
    ApiReply set = Call(service.Base(), "api/set/" + token,
                        {"user_name", user, "version", "1", "force", "1", "content", document});
    // The whole document goes in one form field, far under the service's 16 MiB limit.
    ASSERT_TRUE(set.Success()) << set.Message() << " (a sync document of " << document.size()
                               << " bytes; cpp-httplib refuses a form body past "
                                  "CPPHTTPLIB_FORM_URL_ENCODED_PAYLOAD_MAX_LENGTH, 8192 bytes in Debian's library, "
                                  "with HTTP 413 unless the route reads the body itself)";
    EXPECT_EQ(set.IntegerMember("version"), version);
    ApiReply poll = Call(service.Base(), "api/get_version/" + token, {"user_name", user});
    ASSERT_TRUE(poll.Success()) << poll.Message();
    EXPECT_EQ(LeadingInteger(poll.TextMember("data")), version);
  }

  ApiReply got = Call(service.Base(), "api/get/" + token, {"user_name", user});
  ASSERT_TRUE(got.Success()) << got.Message();
  const Json::Value data = got.DataMember();
  EXPECT_EQ(DocumentUserName(data), user);

  Database second;
  ASSERT_TRUE(kztest::MakeDatabase(dir / "second.mdb", second));
  ASSERT_TRUE(second.Execute("insert into kz_user (user_name,user_pwd) values (?,'typed here')", {user}));
  ASSERT_TRUE(second.Execute("insert into kz_honor (user_name,honor_type,honor_level) values (?,8,3)", {user}));
  std::string problem;
  ASSERT_TRUE(ApplySyncDocument(second, data, &problem)) << problem;

  const std::map<std::string, int> counts{
      {"kz_user", 1}, {"main2", 5}, {"macro_set2", 10}, {"macro_set_detail2", 1000}, {"kz_honor", 32}};
  EXPECT_EQ(kztest::UserRowCounts(second, user), counts);
  for (const char* table : kztest::kDocumentTables) {
    SCOPED_TRACE(table);
    EXPECT_EQ(kztest::UserRows(second, table, user, {"user_pwd"}), kztest::UserRows(first, table, user, {"user_pwd"}));
  }
  EXPECT_EQ(kztest::UserRows(second, "kz_user", user)[0]["user_pwd"], "text:typed here");
  EXPECT_EQ(kztest::UserRowCounts(second, "neighbour")["macro_set_detail2"], 0);
}

TEST(ServiceRoundTrip, ANonAsciiNameSignedUpOnThePageLogsInThroughTheApi) {
  KZ_NEED_SERVICE();
  if (AnsiCharset() != "UTF-8") GTEST_SKIP() << "the locale's character set is " << AnsiCharset();
  kztest::TempDir dir;
  ServiceProcess service(dir.path());
  ASSERT_TRUE(service.ok()) << service.Log();
  const std::string user = "\xE5\xBC\xA0\xE4\xB8\x89 Zh\xC3\xA1ng";
  ASSERT_TRUE(kztest::SignUp(service.Base(), user, "p\xC3\xA4ssword "));
  EXPECT_FALSE(kztest::LogIn(service.Base(), user, "p\xC3\xA4ssword ").empty());
  EXPECT_TRUE(kztest::LogIn(service.Base(), user, "p\xC3\xA4ssword").empty());  // white space counts
}

TEST(ServiceRoundTrip, TheSignUpAddressAndARefusedTokenAsTheClientSeesThem) {
  KZ_NEED_SERVICE();
  kztest::TempDir dir;
  ServiceProcess service(dir.path());
  ASSERT_TRUE(service.ok()) << service.Log();
  ApiRequest where("api/get_reg_url/", service.Base());
  ASSERT_TRUE(where.Perform());
  EXPECT_EQ(where.ReplyText(), service.Base() + "register");
  ApiReply refused = Call(service.Base(), "api/get_version/not-a-token", {"user_name", "nobody"});
  EXPECT_FALSE(refused.Success());
  EXPECT_FALSE(refused.Message().empty());
}

}  // namespace
