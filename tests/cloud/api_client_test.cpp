// The web API client against an HTTP server of the test's own on a free loopback port: what goes
// on the wire, how replies are read, redirects, downloads, cancels and time-outs.
#include "base/paths.h"
#include "cloud/api_reply.h"
#include "cloud/api_request.h"
#include "cloud/http_transfer.h"
#include "cloud/text_codec.h"
#include "local_server.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace {

using namespace kz::cloud;
using kztest::LocalServer;
using kztest::ReadAll;
using kztest::SilentListener;
using kztest::TempDir;
using kztest::WriteAll;

// What the server saw of the last post.
struct Seen {
  std::mutex mutex;
  std::string path, body, contentType, userAgent, method;
};

class ApiClient : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& s = server_.server();
    s.Post(R"(/api/echo/(.*))", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard lock(seen_.mutex);
      seen_.path = req.path;
      seen_.body = req.body;
      seen_.method = req.method;
      seen_.contentType = req.get_header_value("Content-Type");
      seen_.userAgent = req.get_header_value("User-Agent");
      res.set_content("{\"result\":100}", "application/json");
    });
    // Canned bodies, by name.
    s.Post(R"(/api/reply/(\w+))", [](const httplib::Request& req, httplib::Response& res) {
      const std::string name = req.matches[1];
      if (name == "ok") res.set_content("{\"result\":100}", "application/json");
      else if (name == "text100") res.set_content("{\"result\":\"100\"}", "application/json");
      else if (name == "refused")
        res.set_content("{\"result\":101,\"message\":\"\\u7528\\u6237 refused\"}", "application/json");
      else if (name == "notjson") res.set_content("<html>Bad gateway</html>", "text/html");
      else if (name == "error") res.set_content("error", "text/plain");
      else if (name == "servererror") {
        res.status = 500;
        res.set_content("{\"result\":100,\"message\":\"from an error page\"}", "application/json");
      }
    });
    s.Post("/api/old", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/api/new"); });
    s.Get("/api/new", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("{\"result\":100,\"message\":\"moved\"}", "application/json");
    });
    s.Get("/file", [](const httplib::Request&, httplib::Response& res) { res.set_content("new body", "text/plain"); });
    s.Get("/moved-file", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/file", 301); });
    s.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content("no such file", "text/plain");
    });
    s.Get("/loop", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop"); });
    // A body that never ends: a chunk every 20 ms until the client goes away.
    s.Get("/endless", [this](const httplib::Request&, httplib::Response& res) {
      res.set_chunked_content_provider("application/octet-stream", [this](size_t, httplib::DataSink& sink) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (stopping_.load()) return false;
        return sink.write("0123456789abcdef", 16);
      });
    });
    ASSERT_TRUE(server_.Start());
  }
  void TearDown() override {
    stopping_ = true;
    server_.Stop();
  }

  LocalServer server_;
  Seen seen_;
  std::atomic<bool> stopping_{false};
};

TEST_F(ApiClient, PostsTheFieldsInNameOrderWithATrailingAmpersand) {
  ApiRequest request("api/echo/T0K3N-x_y", server_.Base());
  request << "user_name" << "a b" << "device" << "pc";
  EXPECT_EQ(request.Body(), "device=pc&user_name=a%20b&");
  ASSERT_TRUE(request.Perform());
  std::lock_guard lock(seen_.mutex);
  EXPECT_EQ(seen_.method, "POST");
  EXPECT_EQ(seen_.body, "device=pc&user_name=a%20b&");
  EXPECT_EQ(seen_.path, "/api/echo/T0K3N-x_y");  // the token in the path goes unencoded
  EXPECT_EQ(seen_.contentType, "application/x-www-form-urlencoded");
  EXPECT_EQ(seen_.userAgent, "Mozilla/4.0 (compatible; MSIE 5.01; Windows NT 5.0)");
  EXPECT_EQ(request.ReplyText(), "{\"result\":100}");
}

TEST_F(ApiClient, SendsBytesPastAsciiAsLowerCasePercentPairs) {
  ApiRequest request("api/echo/", server_.Base());
  request << "user_name" << "\xD5\xC5\xC8\xFD" << "password" << "x";
  ASSERT_TRUE(request.Perform());
  std::lock_guard lock(seen_.mutex);
  EXPECT_EQ(seen_.body, "password=x&user_name=%d5%c5%c8%fd&");
}

TEST_F(ApiClient, BodyRules) {
  EXPECT_EQ(ApiRequest("api/get_reg_url/").Body(), "");
  ApiRequest again("p");
  again << "b" << "1" << "a" << "2" << "b" << "3";  // a name given again takes the new value
  EXPECT_EQ(again.Body(), "a=2&b=3&");
  ApiRequest emptyValue("p");
  emptyValue << "version" << "" << "force" << "1";
  EXPECT_EQ(emptyValue.Body(), "force=1&version=&");
  EXPECT_EQ(ApiRequest("api/login/", "http://h:1/").Url(), "http://h:1/api/login/");
}

TEST_F(ApiClient, ReadsTheReplyCases) {
  const struct {
    const char* name;
    bool performed, success;
    std::string message;
    bool root;
  } cases[] = {
      {"ok", true, true, "", true},
      {"text100", true, false, "", true},
      {"refused", true, false, "\xE7\x94\xA8\xE6\x88\xB7 refused", true},
      {"notjson", true, false, "", false},
      {"error", false, false, "", false},
      // The HTTP status is not looked at: an error page's body is the reply.
      {"servererror", true, true, "from an error page", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ApiRequest request(std::string("api/reply/") + c.name, server_.Base());
    EXPECT_EQ(request.Perform(), c.performed);
    if (!c.performed) {
      EXPECT_EQ(request.ReplyText(), "");  // no transport failure, so no failure text
      continue;
    }
    ApiReply reply(request.ReplyText());
    EXPECT_EQ(reply.Success(), c.success);
    if (AnsiCharset() == "UTF-8") {
      EXPECT_EQ(reply.Message(), c.message);
    }
    EXPECT_EQ(reply.HasRoot(), c.root);
  }
}

TEST_F(ApiClient, FollowsARedirect) {
  ApiRequest request("api/old", server_.Base());
  ASSERT_TRUE(request.Perform());
  ApiReply reply(request.ReplyText());
  EXPECT_TRUE(reply.Success());
  EXPECT_EQ(reply.Message(), "moved");
}

TEST_F(ApiClient, EchoesRepliesOnlyWhenAskedTo) {
  std::ostringstream echo;
  SetReplyEcho(&echo);
  ApiRequest first("api/reply/ok", server_.Base());
  EXPECT_TRUE(first.Perform());
  SetReplyEcho(nullptr);
  ApiRequest second("api/reply/refused", server_.Base());
  EXPECT_TRUE(second.Perform());
  EXPECT_EQ(echo.str(), "{\"result\":100}\n");
}

TEST_F(ApiClient, ATransportFailureGivesErrorAndTheTransportText) {
  // A port that was free a moment ago: nothing listens there.
  int port;
  {
    SilentListener probe;
    ASSERT_TRUE(probe.ok());
    port = std::stoi(probe.Base().substr(std::string("http://127.0.0.1:").size()));
  }
  const std::string base = "http://127.0.0.1:" + std::to_string(port) + "/";
  testing::internal::CaptureStderr();
  EXPECT_EQ(HttpPostForm(base + "api/login/", "a=1&"), "error");
  ApiRequest request("api/login/", base);
  EXPECT_FALSE(request.Perform());
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(request.ReplyText().empty());
  EXPECT_NE(request.ReplyText(), "error");
  EXPECT_EQ(err.rfind("error:", 0), 0u) << err;
  EXPECT_NE(err.find(request.ReplyText()), std::string::npos) << err;
}

TEST_F(ApiClient, ADownloadIsAppendedToTheFile) {
  TempDir dir;
  const std::string path = dir / "kzver.txt";
  WriteAll(path, "old\n");
  Transfer transfer;
  long long lastReceived = -1;
  ASSERT_TRUE(HttpDownloadToFile(server_.Base() + "file", path,
                                 [&](long long, long long received) { lastReceived = received; }, &transfer));
  EXPECT_EQ(ReadAll(path), "old\nnew body");
  EXPECT_EQ(transfer.HttpStatus(), 200);
  EXPECT_EQ(lastReceived, 8);
  // Redirects are followed for downloads too; no callback and no token are needed.
  ASSERT_TRUE(HttpDownloadToFile(server_.Base() + "moved-file", path));
  EXPECT_EQ(ReadAll(path), "old\nnew bodynew body");
}

TEST_F(ApiClient, AnErrorPageIsAFinishedDownloadWithItsStatus) {
  TempDir dir;
  Transfer transfer;
  EXPECT_TRUE(HttpDownloadToFile(server_.Base() + "missing", dir / "f", nullptr, &transfer));
  EXPECT_EQ(transfer.HttpStatus(), 404);
  EXPECT_EQ(ReadAll(dir / "f"), "no such file");
  EXPECT_EQ(kztest::ModeOf(dir / "f"), 0600u);
}

TEST_F(ApiClient, AReplacingDownloadKeepsOnlyAWholeSuccessfulFile) {
  TempDir dir;
  const std::string path = dir / "update.zip";
  WriteAll(path, "previous");
  Transfer refused;
  EXPECT_FALSE(HttpDownloadReplacing(server_.Base() + "missing", path, nullptr, &refused));
  EXPECT_EQ(refused.HttpStatus(), 404);
  EXPECT_EQ(ReadAll(path), "previous");
  EXPECT_FALSE(HttpDownloadReplacing(server_.Base() + "loop", path));  // a redirect loop ends
  EXPECT_EQ(ReadAll(path), "previous");
  EXPECT_TRUE(HttpDownloadReplacing(server_.Base() + "file", path));
  EXPECT_EQ(ReadAll(path), "new body");
  EXPECT_EQ(kztest::ModeOf(path), 0600u);
  // Nothing is left beside it.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(ApiClient, AFileThatCannotBeWrittenFailsTheDownload) {
  TempDir dir;
  Transfer noFolder;
  EXPECT_FALSE(HttpDownloadToFile(server_.Base() + "file", dir / "missing/f", nullptr, &noFolder));
  EXPECT_NE(noFolder.ErrorText().find("missing/f"), std::string::npos) << noFolder.ErrorText();
  // A link at the path is not written through.
  WriteAll(dir / "target", "kept");
  ASSERT_EQ(::symlink((dir / "target").c_str(), (dir / "link").c_str()), 0);
  EXPECT_FALSE(HttpDownloadToFile(server_.Base() + "file", dir / "link"));
  EXPECT_EQ(ReadAll(dir / "target"), "kept");
}

TEST_F(ApiClient, AnotherThreadCancelsARunningDownload) {
  TempDir dir;
  const std::string path = dir / "endless";
  Transfer transfer;
  std::atomic<bool> finished{false};
  bool result = true;
  std::thread worker([&] {
    result = HttpDownloadToFile(server_.Base() + "endless", path, nullptr, &transfer);
    finished = true;
  });
  EXPECT_TRUE(kztest::WaitFor([&] { return ReadAll(path).size() >= 64; }, 20));
  EXPECT_FALSE(finished.load());
  transfer.Cancel();
  worker.join();
  EXPECT_FALSE(result);
  EXPECT_EQ(transfer.ErrorText(), "the transfer was cancelled");
  // A cancelled token stops the next transfer before it starts.
  EXPECT_FALSE(HttpDownloadToFile(server_.Base() + "file", dir / "next", nullptr, &transfer));
  EXPECT_FALSE(kz::paths::FileExists(dir / "next"));
}

TEST(ApiClientLimits, AnotherThreadCancelsAnApiCallToAServerThatNeverAnswers) {
  SilentListener silent;
  ASSERT_TRUE(silent.ok());
  Transfer transfer;
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    transfer.Cancel();
  });
  ApiRequest request("api/get_version/t", silent.Base());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(request.Perform(&transfer));
  testing::internal::GetCapturedStderr();
  canceller.join();
  EXPECT_EQ(request.ReplyText(), "the transfer was cancelled");
}

TEST(ApiClientLimits, ADownloadFromAListenerThatNeverAnswersEndsAfterTheStallLimit) {
  SilentListener silent;
  ASSERT_TRUE(silent.ok());
  TempDir dir;
  Transfer transfer;
  transfer.SetDownloadLimits(std::chrono::seconds(2), std::chrono::seconds(1));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(HttpDownloadToFile(silent.Base() + "kzver.txt", dir / "kzver.txt", nullptr, &transfer));
  const auto took = std::chrono::steady_clock::now() - start;
  // Not a measure of speed: a transfer the limit did not end would wait here for ever.
  EXPECT_LT(took, std::chrono::seconds(9));
  EXPECT_NE(transfer.ErrorText().find("too slow"), std::string::npos) << transfer.ErrorText();
  EXPECT_EQ(transfer.HttpStatus(), 0);
}

TEST(ApiBaseAddress, ComesFromTheEnvironmentOrTheCompiledDefault) {
  const struct {
    const char* value;
    std::string base;
  } cases[] = {
      {nullptr, "http://127.0.0.1:4777/"},
      {"", "http://127.0.0.1:4777/"},
      {"http://10.0.0.5:8080/", "http://10.0.0.5:8080/"},
      {"http://example.test/kz", "http://example.test/kz/"},
      {"https://example.test/", "https://example.test/"},
      {"ftp://example.test/", "http://127.0.0.1:4777/"},
      {"127.0.0.1:4777", "http://127.0.0.1:4777/"},
  };
  for (const auto& c : cases) {
    kztest::ScopedEnv env("KZMOUSE_API_BASE", c.value);
    EXPECT_EQ(ApiBase(), c.base) << (c.value ? c.value : "(unset)");
  }
}

// ---- reply envelopes, without a server ----

TEST(ApiReplyParsing, ReadsMembersOnlyWhereTheirKindAllows) {
  const struct {
    const char* text;
    bool success;
    const char* message;
  } cases[] = {
      {"{\"result\":100}", true, ""},
      {"{\"result\":100.0,\"message\":\"a\"}", true, "a"},
      {"{\"result\":\"100\"}", false, ""},
      {"{\"result\":101,\"message\":\"no\"}", false, "no"},
      {"{\"result\":true}", false, ""},
      {"{\"result\":null}", false, ""},
      {"{\"message\":\"no result\"}", false, "no result"},
      {"{\"result\":[100]}", false, ""},
      {"{\"result\":100,\"message\":{\"a\":1}}", true, ""},
      {"{\"result\":100,\"message\":12}", true, "12"},
      {"{\"result\":100,\"message\":false}", true, "false"},
      {"{\"result\":100} trailing", false, ""},
      {"[100]", false, ""},
      {"100", false, ""},
      {"", false, ""},
      {"{\"result\":18446744073709551615}", false, ""},
      {"{\"result\":1e300}", false, ""},
  };
  for (const auto& c : cases) {
    ApiReply reply(c.text);
    EXPECT_EQ(reply.Success(), c.success) << c.text;
    EXPECT_EQ(reply.Message(), c.message) << c.text;
  }
}

TEST(ApiReplyParsing, TextAndIntegerMembers) {
  ApiReply reply(
      "{\"result\":100,\"token\":\"abc\",\"version\":\"12\",\"login_time\":1765000000,\"real\":0.1,"
      "\"flag\":true,\"none\":null,\"list\":[1],\"data\":{\"kz_user\":{\"user_name\":\"u\"}}}");
  ASSERT_TRUE(reply.Success());
  EXPECT_EQ(reply.TextMember("token"), "abc");
  EXPECT_EQ(reply.TextMember("version"), "12");
  EXPECT_EQ(reply.TextMember("login_time"), "1765000000");
  EXPECT_EQ(reply.TextMember("real"), "0.10000000000000001");  // "%.17g"
  EXPECT_EQ(reply.TextMember("flag"), "true");
  EXPECT_EQ(reply.TextMember("none"), "");
  EXPECT_EQ(reply.TextMember("list"), "");
  EXPECT_EQ(reply.TextMember("absent"), "");
  EXPECT_EQ(reply.IntegerMember("login_time"), 1765000000);
  EXPECT_EQ(reply.IntegerMember("version"), 0);  // a text is not read as an integer
  EXPECT_EQ(reply.IntegerMember("flag"), 1);
  EXPECT_EQ(reply.IntegerMember("none"), 0);
  EXPECT_EQ(reply.DataMember()["kz_user"]["user_name"].asString(), "u");

  ApiReply none("not json");
  EXPECT_EQ(none.IntegerMember("result"), 0);
  EXPECT_EQ(none.TextMember("token"), "");
  EXPECT_TRUE(none.DataMember().isNull());
}

TEST(ApiReplyParsing, DeepNestingIsRefusedNotRecursedInto) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  ApiReply reply("{\"result\":100,\"data\":" + deep + "}");
  EXPECT_FALSE(reply.Success());
  EXPECT_FALSE(reply.HasRoot());
}

}  // namespace
