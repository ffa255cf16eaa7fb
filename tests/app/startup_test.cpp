#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

#include "app/services.h"
#include "app/handoff.h"
#include "base/notify.h"
#include "base/paths.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "store/database.h"
#include "store/schema.h"
#include "support/test_support.h"

namespace {

TEST(SingleInstance, SecondCopyIsRefusedAndItsShowRequestArrives) {
  kztest::TempDir dir;
  kz::app::SingleInstance first(dir.path());
  ASSERT_TRUE(first.TryAcquire());
  EXPECT_FALSE(kz::app::SingleInstance::AskFirstToShow(dir.path())) << "not listening while starting";
  ASSERT_TRUE(first.Listen());
  ASSERT_GE(first.ListenFd(), 0);
  EXPECT_FALSE(first.TakeShowRequest()) << "nothing asked yet";

  kz::app::SingleInstance second(dir.path());
  EXPECT_FALSE(second.TryAcquire());
  EXPECT_TRUE(kz::app::SingleInstance::AskFirstToShow(dir.path()));
  EXPECT_TRUE(first.TakeShowRequest());
}

TEST(SingleInstance, LockIsFreeAgainAfterTheFirstEnds) {
  kztest::TempDir dir;
  {
    kz::app::SingleInstance first(dir.path());
    ASSERT_TRUE(first.TryAcquire());
    ASSERT_TRUE(first.Listen());
  }
  EXPECT_FALSE(kz::app::SingleInstance::AskFirstToShow(dir.path()));
  kz::app::SingleInstance next(dir.path());
  EXPECT_TRUE(next.TryAcquire());
}

// A folder whose socket path does not fit a socket address (over 107 bytes): the copies still meet,
// on an abstract socket named after the folder, and a copy of another folder does not reach them.
TEST(SingleInstance, ASocketPathTooLongForAnAddressStillReachesTheFirst) {
  kztest::TempDir root;
  const std::string dir = root / (std::string(120, 'r') + "/");
  const std::string other = root / (std::string(121, 'r') + "/");
  ASSERT_GT((dir + "kzMouse.sock").size(), 107u);
  {
    kz::app::SingleInstance first(dir);
    ASSERT_TRUE(first.TryAcquire()) << first.Problem();
    ASSERT_TRUE(first.Listen());
    kz::app::SingleInstance second(dir);
    EXPECT_FALSE(second.TryAcquire());
    EXPECT_EQ(second.Problem(), "");
    EXPECT_FALSE(kz::app::SingleInstance::AskFirstToShow(other));
    EXPECT_FALSE(first.TakeShowRequest());
    EXPECT_TRUE(kz::app::SingleInstance::AskFirstToShow(dir));
    EXPECT_TRUE(first.TakeShowRequest());
    EXPECT_FALSE(kz::paths::FileExists(dir + "kzMouse.sock"));
  }
  EXPECT_FALSE(kz::app::SingleInstance::AskFirstToShow(dir)) << "the name is gone with the first";
}

// A lock that cannot be used is no reason to run a second copy, nor to end without a word.
TEST(SingleInstance, ALockThatCannotBeUsedIsReportedAndTheStartEnds) {
  const struct {
    const char* name;
    std::function<void(const std::string& runDir)> plant;
    const char* said;
    bool needsRoot;  // to give a file away
  } cases[] = {
      {"a link at the lock's path",
       [](const std::string& run) { ::symlink((run + "../planted-target").c_str(), (run + "kzMouse.lock").c_str()); },
       "kzMouse.lock is a symbolic link", false},
      {"a FIFO at the lock's path", [](const std::string& run) { ::mkfifo((run + "kzMouse.lock").c_str(), 0600); },
       "kzMouse.lock is not a regular file", false},
      {"a folder at the lock's path", [](const std::string& run) { ::mkdir((run + "kzMouse.lock").c_str(), 0700); },
       "kzMouse.lock is not a regular file", false},
      {"another user's lock file",
       [](const std::string& run) {
         kztest::WriteAll(run + "kzMouse.lock", "");
         ASSERT_EQ(::chown((run + "kzMouse.lock").c_str(), 4321, 4321), 0);
       },
       "kzMouse.lock belongs to user 4321", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsRoot && ::geteuid() != 0) continue;
    kztest::ScopedXdg xdg;
    const std::string run = kz::paths::RuntimeDir();
    ASSERT_EQ(run, xdg.root() / "run/");
    c.plant(run);
    kz::app::SingleInstance instance(run);
    EXPECT_FALSE(instance.TryAcquire());
    EXPECT_EQ(instance.Problem(), "cannot take the single-instance lock: " + run + c.said);

    std::vector<std::string> messages;
    kz::SetMessageHandler([&](const std::string& text) { messages.push_back(text); });
    bool windowRan = false;
    kz::app::StartupHooks hooks;
    hooks.runMainWindow = [&](kz::app::SingleInstance&, kz::app::Services&) { windowRan = true; };
    EXPECT_EQ(kz::app::RunApplication({"kzMouse"}, hooks), 1);
    kz::SetMessageHandler(nullptr);
    EXPECT_FALSE(windowRan);
    EXPECT_EQ(messages, std::vector<std::string>{instance.Problem()});
    EXPECT_FALSE(kz::paths::FileExists(xdg.dataDir() + "kzdb.mdb"));
    EXPECT_FALSE(kz::paths::FileExists(xdg.root() / "planted-target")) << "made through the link";
  }
}

TEST(Startup, CommandLineJoinsArgumentsAfterTheProgram) {
  EXPECT_EQ(kz::app::CommandLineOf({"kzMouse"}), "");
  EXPECT_EQ(kz::app::CommandLineOf({"kzMouse", "--simulate", "/hide"}), "--simulate /hide");
}

TEST(Startup, AutostartEntryStartsHiddenAndIsRewritten) {
  kztest::ScopedXdg xdg;
  for (const std::string exe : {"/opt/kz/kzMouse", "/home/a b/kz$Mouse"}) {
    ASSERT_TRUE(kz::app::WriteAutostartEntry(exe));
    auto lines = kztest::ReadLines(kz::app::AutostartPath());
    std::string exec;
    for (auto& l : lines)
      if (l.rfind("Exec=", 0) == 0) exec = l;
    EXPECT_TRUE(exec.size() > 6 && exec.substr(exec.size() - 6) == " /hide") << exec;
    EXPECT_EQ(lines.front(), "[Desktop Entry]");
    if (exe.find(' ') != std::string::npos) {
      EXPECT_EQ(exec, "Exec=\"/home/a b/kz\\$Mouse\" /hide");
    }
  }
  ::unlink(kz::app::AutostartPath().c_str());
  ASSERT_TRUE(kz::app::WriteAutostartEntry("/x/kzMouse"));
  EXPECT_TRUE(kz::paths::FileExists(kz::app::AutostartPath()));
}

// The whole start-up sequence in-process, with the window replaced by a callback.
TEST(Startup, FreshStartMakesTheDataFolderDatabaseAndUserThenRemembersAtExit) {
  kztest::ScopedXdg xdg;
  bool windowRan = false;
  kz::app::StartupHooks hooks;
  hooks.runMainWindow = [&](kz::app::SingleInstance&, kz::app::Services& services) {
    windowRan = true;
    kz::SessionValues session = services.session.Snapshot();
    EXPECT_EQ(session.userName, "CommonUser");
    EXPECT_EQ(services.Profiles().ActiveProfile(), 1);
    EXPECT_EQ(session.firmwareVersion, "0.3");
    EXPECT_EQ(session.syncLast, 0);
    services.Profiles().SetActiveProfile(4);  // the user picked profile 4
  };
  EXPECT_EQ(kz::app::RunApplication({"kzMouse"}, hooks), 0);
  EXPECT_TRUE(windowRan);

  struct stat st{};
  ASSERT_EQ(::stat(xdg.dataDir().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat((xdg.dataDir() + "kzdb.mdb").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_TRUE(kz::paths::FileExists(kz::app::AutostartPath()));

  kz::store::Database db;
  ASSERT_TRUE(db.Open(xdg.dataDir() + "kzdb.mdb"));
  kz::store::Recordset rs(db);
  ASSERT_TRUE(rs.Open("select * from kz_user"));
  ASSERT_EQ(rs.GetRecordCount(), 1);
  EXPECT_EQ(rs.GetFieldCount(), 20);
  int profile = 0;
  rs.GetFieldValue("profile_active", profile);
  EXPECT_EQ(profile, 4);
  kz::store::Recordset global(db);
  ASSERT_TRUE(global.Open("kz_global"));
  std::string lastUser, dbVer;
  global.GetFieldValue("last_user", lastUser);
  global.GetFieldValue("db_ver", dbVer);
  EXPECT_EQ(lastUser, "CommonUser");
  EXPECT_EQ(dbVer, "1.1");
}

TEST(Startup, SecondStartOnlyAsksTheFirstToShow) {
  kztest::ScopedXdg xdg;
  kz::app::SingleInstance first(kz::paths::RuntimeDir());
  ASSERT_TRUE(first.TryAcquire());
  ASSERT_TRUE(first.Listen());
  bool windowRan = false;
  kz::app::StartupHooks hooks;
  hooks.runMainWindow = [&](kz::app::SingleInstance&, kz::app::Services&) { windowRan = true; };
  EXPECT_EQ(kz::app::RunApplication({"kzMouse"}, hooks), 0);
  EXPECT_FALSE(windowRan);
  EXPECT_TRUE(first.TakeShowRequest());
  EXPECT_FALSE(kz::paths::FileExists(xdg.dataDir() + "kzdb.mdb"));
  EXPECT_FALSE(kz::paths::FileExists(kz::app::AutostartPath()));
}

TEST(Handoff, PendingUpdaterIsSwappedInAndStarted) {
  if (!kz::app::IsUserAdmin()) GTEST_SKIP() << "needs root: without it the swap asks for raised rights";
  kztest::TempDir program;
  const std::string marker = program / "updater-ran";
  kztest::WriteAll(program / "kz_update", "#!/bin/sh\necho old > '" + marker + "'\n");
  kztest::WriteAll(program / "kz_update_new", "#!/bin/sh\necho new > '" + marker + "'\n");
  ::chmod((program / "kz_update_new").c_str(), 0755);
  EXPECT_TRUE(kz::app::ReplacePendingUpdater(program.path()));
  EXPECT_FALSE(kz::paths::FileExists(program / "kz_update_new"));
  EXPECT_NE(kztest::ReadAll(program / "kz_update").find("echo new"), std::string::npos);
  for (int i = 0; i < 200 && kztest::ReadAll(marker).empty(); ++i) ::usleep(10000);
  EXPECT_EQ(kztest::ReadAll(marker), "new\n");

  EXPECT_FALSE(kz::app::ReplacePendingUpdater(program.path())) << "nothing pending any more";
}

TEST(Handoff, MissingUpdaterIsReportedWithTheErrorCode) {
  kztest::TempDir program;
  std::vector<std::string> messages;
  kz::SetMessageHandler([&](const std::string& text) { messages.push_back(text); });
  EXPECT_EQ(kz::app::StartUpdater(program.path()), 0);
  kz::SetMessageHandler(nullptr);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "无法启动更新程序，错误码：2");  // ENOENT
}

}  // namespace
