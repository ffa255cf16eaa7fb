// kzmousectl's account and sync commands as a user runs them: backup and restore of the current
// user's data, the refusals that change nothing, and signing up on a real kz-service.
#include "base/paths.h"
#include "cloud/sync_document.h"
#include "local_server.h"
#include "heavy_user.h"
#include "service_process.h"
#include "store/database.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

namespace {

using kz::store::Database;
using kztest::ReadAll;
using kztest::RunTool;
using kztest::ScopedXdg;

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// A run of kzmousectl with `input` as its standard input (not a terminal).
kztest::ToolRun RunWithInput(const std::vector<std::string>& args, const std::string& input, const std::string& dir) {
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

class CliSync : public ::testing::Test {
 protected:
  std::string Db() const { return xdg_.dataDir() + "kzdb.mdb"; }
  // A database made by the tool, with macros, profiles and honors of the current user.
  void MakeUserData() {
    ASSERT_EQ(RunTool("kzmousectl", {"macro", "set", "add", "Games"}).code, 0);
    ASSERT_EQ(RunTool("kzmousectl", {"macro", "add", "Games", "copy", "--events", "ctrl+c,100ms,a"}).code, 0);
    ASSERT_EQ(RunTool("kzmousectl", {"macro", "add", "Games", "paste", "--events", "ctrl+v"}).code, 0);
    Database db;
    ASSERT_TRUE(db.Open(Db()));
    ASSERT_TRUE(db.Execute("insert into main2 (user_name,profile_id,dpi_1,dpi_active) values ('CommonUser',2,1650,3)"));
    ASSERT_TRUE(db.Execute("insert into kz_honor (user_name,honor_type,honor_level) values ('CommonUser',3,1)"));
    ASSERT_TRUE(db.Execute("update kz_user set mouse_left=4242 where user_name='CommonUser'"));
  }
  std::map<std::string, std::vector<kztest::RowContent>> Rows(const std::string& user = "CommonUser") {
    Database db;
    EXPECT_TRUE(db.Open(Db()));
    std::map<std::string, std::vector<kztest::RowContent>> rows;
    for (const char* table : kztest::kDocumentTables) rows[table] = kztest::UserRows(db, table, user);
    return rows;
  }

  ScopedXdg xdg_;
  kztest::TempDir files_;
};

TEST_F(CliSync, ExportAndImportRoundTripTheCurrentUsersData) {
  MakeUserData();
  const auto before = Rows();
  const std::string file = files_ / "backup.json";
  kztest::ToolRun exported = RunTool("kzmousectl", {"sync", "export", file});
  ASSERT_EQ(exported.code, 0) << exported.output;
  EXPECT_EQ(exported.output, "exported the data of \"CommonUser\" to \"" + file + "\"\n");
  EXPECT_EQ(kztest::ModeOf(file), 0600u);
  // Standard output gets the same text.
  kztest::ToolRun printed = RunTool("kzmousectl", {"sync", "export"}, files_ / "err");
  EXPECT_EQ(printed.code, 0);
  EXPECT_EQ(printed.output, ReadAll(file));

  ASSERT_EQ(RunTool("kzmousectl", {"macro", "rm", "copy"}).code, 0);
  ASSERT_EQ(RunTool("kzmousectl", {"macro", "set", "add", "Other"}).code, 0);
  kztest::ToolRun imported = RunTool("kzmousectl", {"sync", "import", file});
  ASSERT_EQ(imported.code, 0) << imported.output;
  EXPECT_EQ(imported.output, "imported \"" + file +
                                 "\" as the data of \"CommonUser\": 1 profiles, 1 macro sets, 2 macros, 1 honors\n");
  EXPECT_EQ(Rows(), before);
  // The file is unchanged and imports again to the same rows.
  ASSERT_EQ(RunTool("kzmousectl", {"sync", "import", file}).code, 0);
  EXPECT_EQ(Rows(), before);
}

TEST_F(CliSync, RefusedImportsChangeNothing) {
  MakeUserData();
  const auto before = Rows();
  const struct {
    const char* name;
    std::string content;
    std::string message;
  } cases[] = {
      {"not-json", "{\"kz_user\": ", "is not a JSON document"},
      {"list", "[1, 2]", "is not a sync document: the JSON text is no object"},
      {"no-user", "{\"main\": null}", "is not a sync document: it has no kz_user object"},
      {"other-user", "{\"kz_user\": {\"user_name\": \"bob\"}}", "holds the data of \"bob\", but the current user is \"CommonUser\""},
      {"bad-row", "{\"kz_user\": {}, \"main\": [{\"dpi_1\": [1]}]}", "nothing was imported: main row 1: \"dpi_1\" is neither a text nor a number"},
      {"third-writer", "{\"kz_user\": {}, \"macro_set\": [{\"mset_name\": \"a\", \"mset_guid\": \"{X}\"}, "
                       "{\"mset_name\": \"b\", \"mset_guid\": \"{X}\"}]}", "nothing was imported: macro_set row 2 cannot be stored"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = files_ / c.name;
    kztest::WriteAll(file, c.content);
    kztest::ToolRun run = RunTool("kzmousectl", {"sync", "import", file});
    EXPECT_EQ(run.code, 2) << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_EQ(Rows(), before);
  }
  kztest::ToolRun missing = RunTool("kzmousectl", {"sync", "import", files_ / "none.json"});
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(missing.output, "kzmousectl: cannot read \"" + files_ / "none.json" + "\": No such file or directory\n");
  EXPECT_EQ(RunTool("kzmousectl", {"sync", "import"}).code, 2);
  EXPECT_EQ(RunTool("kzmousectl", {"sync", "export", "a", "b"}).code, 2);
  EXPECT_EQ(RunTool("kzmousectl", {"sync", "merge"}).code, 2);
}

TEST_F(CliSync, ADownloadedDocumentOfAnotherUserNeedsAnyUser) {
  MakeUserData();
  const std::string file = files_ / "bob.json";
  kztest::WriteAll(file, R"({"kz_user": {"user_name": "bob", "mouse_left": "7"}, "main": null})");
  kztest::ToolRun run = RunTool("kzmousectl", {"sync", "import", file, "--any-user"});
  ASSERT_EQ(run.code, 0) << run.output;
  const auto rows = Rows();
  EXPECT_EQ(rows.at("kz_user")[0].at("mouse_left"), "int:7");
  EXPECT_TRUE(rows.at("main2").empty());
  EXPECT_TRUE(Rows("bob").at("kz_user").empty());
  // A downloaded document of the current user itself needs nothing more.
  kztest::WriteAll(file, R"({"kz_user": {"user_name": "CommonUser", "mouse_left": "8"}})");
  EXPECT_EQ(RunTool("kzmousectl", {"sync", "import", file}).code, 0);
}

TEST_F(CliSync, ExportWithoutADatabaseMakesNone) {
  kztest::ToolRun run = RunTool("kzmousectl", {"sync", "export", files_ / "out.json"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.output, "kzmousectl: no database in " + xdg_.dataDir() + ": nothing to export\n");
  EXPECT_FALSE(kz::paths::FileExists(Db()));
  EXPECT_FALSE(kz::paths::FileExists(files_ / "out.json"));
}

TEST_F(CliSync, ExportDoesNotWriteThroughALink) {
  MakeUserData();
  kztest::WriteAll(files_ / "target", "kept");
  ASSERT_EQ(::symlink((files_ / "target").c_str(), (files_ / "link").c_str()), 0);
  kztest::ToolRun run = RunTool("kzmousectl", {"sync", "export", files_ / "link"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(ReadAll(files_ / "target"), "kept");
}

TEST_F(CliSync, HelpNamesTheCommands) {
  kztest::ToolRun help = RunTool("kzmousectl", {"--help"});
  EXPECT_NE(help.output.find("sync export [FILE]|import FILE"), std::string::npos) << help.output;
  EXPECT_NE(help.output.find("account register USER"), std::string::npos) << help.output;
  EXPECT_EQ(RunTool("kzmousectl", {"sync", "--help"}).code, 0);
  EXPECT_EQ(RunTool("kzmousectl", {"account", "--help"}).code, 0);
}

TEST_F(CliSync, RegisterMakesAnAccountTheClientCanLogInTo) {
  KZ_NEED_SERVICE();
  kztest::TempDir dir;
  kztest::ServiceProcess service(dir.path());
  ASSERT_TRUE(service.ok()) << service.Log();
  kztest::ScopedEnv base("KZMOUSE_API_BASE", service.Base().c_str());

  kztest::ToolRun made = RunWithInput({"account", "register", "  newcomer "}, "secret words\n", files_.path());
  ASSERT_EQ(made.code, 0) << made.output;
  EXPECT_EQ(made.output.rfind("made the account \"newcomer\" on " + service.Base() + "\nrecovery code: ", 0), 0u)
      << made.output;
  EXPECT_FALSE(kztest::LogIn(service.Base(), "newcomer", "secret words").empty());

  kztest::ToolRun taken = RunWithInput({"account", "register", "newcomer"}, "other words\n", files_.path());
  EXPECT_EQ(taken.code, 2) << taken.output;
  EXPECT_EQ(taken.output.rfind("kzmousectl: the service refused the account \"newcomer\": ", 0), 0u) << taken.output;

  kztest::ToolRun empty = RunWithInput({"account", "register", "someone"}, "", files_.path());
  EXPECT_EQ(empty.code, 2);
  EXPECT_EQ(empty.output, "kzmousectl: no password on standard input\n");
}

TEST_F(CliSync, RegisterWithoutAServiceSaysSo) {
  std::string address;
  {
    kztest::SilentListener probe;  // a port that was free a moment ago, with nothing behind it now
    ASSERT_TRUE(probe.ok());
    address = probe.Base();
  }
  kztest::ScopedEnv base("KZMOUSE_API_BASE", address.c_str());
  kztest::ToolRun run = RunWithInput({"account", "register", "someone"}, "secret words\n", files_.path());
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.output.find("kzmousectl: cannot reach the service at " + address + ": "), std::string::npos)
      << run.output;
}

}  // namespace
