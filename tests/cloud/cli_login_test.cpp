// kzmousectl login, logout and the sync actions that need a session, against the real kz-service.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "base/paths.h"
#include "cloud/login.h"
#include "local_server.h"
#include "service_process.h"
#include "support/test_support.h"

namespace {

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// kzmousectl with `input` on standard input (not a terminal); standard error joins the output.
kztest::ToolRun Ctl(const std::vector<std::string>& args, const std::string& input, const std::string& dir) {
  kztest::WriteAll(dir + "stdin.txt", input);
  std::string command = Quoted(kztest::BinaryDir() + "kzmousectl");
  for (const std::string& arg : args) command += " " + Quoted(arg);
  command += " <" + Quoted(dir + "stdin.txt") + " 2>&1";
  kztest::ToolRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = ::pclose(pipe);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

struct CliLogin : ::testing::Test {
  kztest::ScopedXdg xdg;
  std::unique_ptr<kztest::ScopedEnv> api;
  std::unique_ptr<kztest::ServiceProcess> service;
  std::string dir() const { return xdg.root().path(); }
  void StartService() {
    service = std::make_unique<kztest::ServiceProcess>(dir());
    ASSERT_TRUE(service->ok()) << service->Log();
    api = std::make_unique<kztest::ScopedEnv>("KZMOUSE_API_BASE", service->Base().c_str());
  }
};

TEST_F(CliLogin, RefusedFieldsExitTwoAndLeaveNoDatabase) {
  struct Case {
    std::string user, input, message;
  } cases[] = {
      {std::string(31, 'a'), "secret1\n", "kzmousectl: 用户名过长，请重新输入！\n"},
      {"  ", "secret1\n", "kzmousectl: 请输入用户名或密码！\n"},
      {"alice", "\n", "kzmousectl: 请输入用户名或密码！\n"},
      {"alice", "", "kzmousectl: 请输入用户名或密码！\n"},
  };
  for (const Case& c : cases) {
    const kztest::ToolRun run = Ctl({"login", c.user}, c.input, dir());
    EXPECT_EQ(run.code, 2) << c.user;
    EXPECT_EQ(run.output, c.message) << c.user;
  }
  EXPECT_FALSE(kz::paths::FileExists(xdg.dataDir() + "kzdb.mdb"));
}

TEST_F(CliLogin, ADownServiceIsAFailure) {
  std::string base;
  {
    kztest::LocalServer gone;
    ASSERT_TRUE(gone.Start());
    base = gone.Base();
  }
  kztest::ScopedEnv down("KZMOUSE_API_BASE", base.c_str());
  const kztest::ToolRun run = Ctl({"login", "alice"}, "secret1\n", dir());
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.output.find("kzmousectl: 无法登录，请检查网络！\n"), std::string::npos) << run.output;
}

TEST_F(CliLogin, LogInUploadStatusAndLogOut) {
  KZ_NEED_SERVICE();
  StartService();
  ASSERT_TRUE(kztest::SignUp(service->Base(), "jo", "two words"));
  kztest::ToolRun run = Ctl({"login", "jo"}, "wrong\n", dir());
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.output.find("Wrong user name or password"), std::string::npos) << run.output;

  run = Ctl({"login", " jo "}, "two words\n", dir());
  ASSERT_EQ(run.code, 0) << run.output;
  EXPECT_EQ(run.output, "logged in as \"jo\": 积分：1 等级：1\n");
  EXPECT_EQ(kztest::ModeOf(xdg.dataDir() + "kzmousectl_session"), 0600u);

  run = Ctl({"sync", "status"}, "", dir());
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.output, "user: jo\ntoken: held\nlocal version: 0\nservice version: 0\n");
  run = Ctl({"sync", "upload"}, "", dir());
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.output, "uploaded the data of \"jo\": version 1\n");
  run = Ctl({"sync", "status"}, "", dir());
  EXPECT_EQ(run.output, "user: jo\ntoken: held\nlocal version: 1\nservice version: 1\n");
  run = Ctl({"sync", "download"}, "", dir());
  EXPECT_EQ(run.code, 0) << run.output;
  EXPECT_EQ(run.output.rfind("downloaded the data of \"jo\": version 1, profile 1", 0), 0u) << run.output;
  // The other sync actions of the same command word still answer.
  EXPECT_EQ(Ctl({"sync", "export", dir() + "backup.json"}, "", dir()).code, 0);

  run = Ctl({"logout"}, "", dir());
  EXPECT_EQ(run.output, "logged out\n");
  run = Ctl({"sync", "status"}, "", dir());
  EXPECT_EQ(run.output, "user: jo\ntoken: none\nlocal version: 1\nservice version: unknown (not logged in)\n");
  run = Ctl({"sync", "upload"}, "", dir());
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.output, "kzmousectl: \"jo\" is not logged in (kzmousectl login USER)\n");
}

}  // namespace
