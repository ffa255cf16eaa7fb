// Starting, logging and stopping the program.
#include <gtest/gtest.h>

#include <csignal>

#include "service_fixture.h"

namespace kztest {
namespace {

TEST(ServiceLifecycle, StopsCleanlyOnSigtermAndSigintAndKeepsTheDocument) {
  TempDir folder;
  std::string token;
  {
    RunningService service({}, &folder);
    ASSERT_TRUE(service.ready()) << service.output();
    ASSERT_FALSE(service.SignUp("ivy", "ivy-pw-1").empty());
    token = service.Login("ivy", "ivy-pw-1");
    ASSERT_EQ(service.Call("api/set/" + token, {{"content", R"({"main":[{"dpi_1":"1650"}]})"}, {"user_name", "ivy"}})["version"], 1);
    service.process().Signal(SIGTERM);
    EXPECT_EQ(service.process().Wait(10), 0) << service.output();
    EXPECT_NE(service.output().find("kz-service: stopping (SIGTERM)"), std::string::npos);
  }
  RunningService again({}, &folder);
  ASSERT_TRUE(again.ready()) << again.output();
  // Sessions survive a restart as well as documents.
  const Json::Value got = again.Call("api/get/" + token, {{"user_name", "ivy"}});
  ASSERT_EQ(got["result"], 100) << got.toStyledString();
  EXPECT_EQ(got["data"]["main"][0]["dpi_1"], "1650");
  EXPECT_EQ(again.Call("api/get_version/" + token, {{"user_name", "ivy"}})["data"], "1");
  again.process().Signal(SIGINT);
  EXPECT_EQ(again.process().Wait(10), 0);
}

TEST(ServiceLifecycle, OneLogLinePerRequestWithoutTheToken) {
  RunningService service;
  ASSERT_TRUE(service.ready());
  ASSERT_FALSE(service.SignUp("jay", "jay-pw-1").empty());
  const std::string token = service.Login("jay", "jay-pw-1");
  service.Call("api/get_version/" + token, {{"user_name", "jay"}});
  WaitFor([&] { return service.output().find("/api/get_version/") != std::string::npos; }, 5);
  const std::string out = service.output();
  EXPECT_EQ(out.find(token), std::string::npos) << out;
  EXPECT_TRUE(std::regex_search(out, std::regex(R"(\n\S+Z api 127\.0\.0\.1 POST /register 200 \d+\n)"))) << out;
  EXPECT_TRUE(std::regex_search(out, std::regex(R"(\n\S+Z api 127\.0\.0\.1 POST /api/login/ 200 \d+\n)"))) << out;
  EXPECT_NE(out.find("POST /api/get_version/" + token.substr(0, 6) + "... 200"), std::string::npos) << out;
}

TEST(ServiceLifecycle, DefaultDatabaseFolderIsPrivate) {
  TempDir xdg;
  ChildProcess child({BinaryDir() + "kz-service", "--listen", "127.0.0.1:0", "--hash-iterations", "1000"},
                     {"XDG_DATA_HOME=" + xdg.path() + "data"}, xdg / "out.log");
  ASSERT_TRUE(WaitFor([&] { return ReadAll(xdg / "out.log").find("listening on") != std::string::npos; }, 20))
      << ReadAll(xdg / "out.log");
  EXPECT_EQ(ModeOf(xdg / "data/kz-service"), 0700u);
  EXPECT_EQ(ModeOf(xdg / "data/kz-service/kz-service.db"), 0600u);
  child.Signal(SIGTERM);
  EXPECT_EQ(child.Wait(10), 0);
}

TEST(ServiceLifecycle, RefusesWhatItCannotRunWith) {
  TempDir folder;
  WriteAll(folder / "junk.db", std::string(4096, 'j'));
  RunningService holder({}, &folder);
  ASSERT_TRUE(holder.ready());
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* says;
  };
  const std::vector<Case> cases{
      {{"--bogus"}, 2, "unknown option: --bogus"},
      {{"--listen"}, 2, "--listen needs a value"},
      {{"--listen", "127.0.0.1"}, 2, "bad value for --listen"},
      {{"--listen", "127.0.0.1:70000"}, 2, "bad value for --listen"},
      {{"--listen", "::1:80"}, 2, "bad value for --listen"},
      {{"--token-lifetime", "0"}, 2, "bad value for --token-lifetime"},
      {{"--token-lifetime=-5"}, 2, "bad value for --token-lifetime"},
      {{"--login-limit", "ten"}, 2, "bad value for --login-limit"},
      {{"--public-url", "http://x"}, 2, "bad value for --public-url"},
      {{"--db", folder / "junk.db", "--listen", "127.0.0.1:0"}, 1, "is not a database"},
      {{"--db", folder / "ok.db", "--listen", "127.0.0.1:" + std::to_string(holder.port())}, 1, "cannot listen on"},
      {{"--db", folder / "ok2.db", "--listen", "127.0.0.1:0", "--updates", folder / "missing"}, 1, "is not a folder"},
  };
  for (const Case& c : cases) {
    const ToolRun run = RunTool("kz-service", c.args);
    EXPECT_EQ(run.code, c.code) << run.output;
    EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
  }
  const ToolRun help = RunTool("kz-service", {"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.output.find("--token-lifetime SECONDS"), std::string::npos);
  // The database the running service holds was not touched by the refused starts.
  EXPECT_TRUE(holder.process().Running());
}

}  // namespace
}  // namespace kztest
