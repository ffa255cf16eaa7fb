// The window program as a whole process: started under the offscreen platform with its own XDG
// folders, stopped by signals, started twice, handed over to the updater.
#include <gtest/gtest.h>

#include <csignal>
#include <ostream>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "app/single_instance.h"
#include "base/paths.h"
#include "store/database.h"
#include "store/schema.h"
#include "support/test_support.h"

namespace {

std::string ProgramPath() { return kztest::BinaryDir() + "kzMouse"; }

struct ProcessFixture : ::testing::Test {
  kztest::TempDir root;

  void SetUp() override {
    if (!kz::paths::FileExists(ProgramPath())) GTEST_SKIP() << "kzMouse is not built (KZ_BUILD_GUI=OFF)";
    for (const char* sub : {"data", "state", "config", "run", "bin"}) ::mkdir((root / sub).c_str(), 0700);
    // The program must never change the desktop of whoever runs the tests: the session is no
    // GNOME one, and should it still reach for gsettings it finds this stand-in, which only tells.
    kztest::WriteAll(root / "bin/gsettings", "#!/bin/sh\necho \"$@\" >> '" + GsettingsMarker() + "'\nexit 1\n");
    ::chmod((root / "bin/gsettings").c_str(), 0755);
  }
  void TearDown() override {
    EXPECT_FALSE(kz::paths::FileExists(GsettingsMarker()))
        << "the program ran gsettings: " << kztest::ReadAll(GsettingsMarker());
  }
  std::string GsettingsMarker() const { return root / "gsettings-called"; }

  std::vector<std::string> Env(const std::string& dataSub = "data") const {
    const char* path = std::getenv("PATH");
    return {"XDG_DATA_HOME=" + root / dataSub, "XDG_STATE_HOME=" + root / "state",
            "XDG_CONFIG_HOME=" + root / "config", "XDG_RUNTIME_DIR=" + root / "run", "QT_QPA_PLATFORM=offscreen",
            "KZMOUSE_DEVICE=sim", "XDG_CURRENT_DESKTOP=",
            "PATH=" + root / "bin" + (path ? ":" + std::string(path) : "")};
  }
  std::string Db(const std::string& dataSub = "data") const { return root / (dataSub + "/kzMouse/kzdb.mdb"); }

  // The program is up once it listens for show requests.
  bool Listening() const { return ::access((root / "run/kzMouse.sock").c_str(), F_OK) == 0; }

  std::string Query(const std::string& sql) const {
    kz::store::Database db;
    EXPECT_TRUE(db.Open(Db()));
    kz::store::Recordset rs(db);
    EXPECT_TRUE(rs.Open(sql));
    std::string text;
    for (; !rs.IsEOF(); rs.MoveNext()) {
      std::string v;
      rs.GetFieldValue(0, v);
      text += (text.empty() ? "" : ",") + v;
    }
    return text;
  }
};

// True once the process has a handler for `signal` (the SigCgt mask of /proc/PID/status), so a
// signal is not sent in the moment between the socket appearing and the handlers going in.
bool Catches(int pid, int signal) {
  std::string status = kztest::ReadAll("/proc/" + std::to_string(pid) + "/status");
  size_t at = status.find("SigCgt:");
  if (at == std::string::npos) return false;
  unsigned long long mask = std::strtoull(status.c_str() + at + 7, nullptr, 16);
  return (mask >> (signal - 1)) & 1;
}

TEST_F(ProcessFixture, TerminationSignalsShutDownLikeQuitAndRememberUserAndProfile) {
  // Two users, the remembered one on profile 3: at exit every row gets profile 3.
  ::mkdir((root / "data/kzMouse").c_str(), 0700);
  ASSERT_TRUE(kz::store::CreateDatabase(Db(), "1.17", "0.3"));
  {
    kz::store::Database db;
    ASSERT_TRUE(db.Open(Db()));
    ASSERT_TRUE(kz::store::Migrate(db));
    ASSERT_TRUE(db.Execute("update kz_global set last_user=?", {std::string("O'Neil")}));
    ASSERT_TRUE(db.Execute("insert into kz_user(user_name,profile_active) values ('O''Neil',3),('CommonUser',5)"));
  }
  const struct {
    int signal;
    const char* name;
  } signals[] = {{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}, {SIGQUIT, "SIGQUIT"}};
  for (const auto& entry : signals) {
    const int signal = entry.signal;
    const char* name = entry.name;
    SCOPED_TRACE(name);
    {
      // Each round starts with the other user on another profile, so its shutdown write shows.
      kz::store::Database db;
      ASSERT_TRUE(db.Open(Db()));
      ASSERT_TRUE(db.Execute("update kz_user set profile_active=5 where user_name='CommonUser'"));
    }
    ASSERT_EQ(Query("select profile_active from kz_user order by ID"), "3,5");
    kztest::ChildProcess app({ProgramPath(), "--simulate"}, Env(), root / "out.txt");
    ASSERT_TRUE(kztest::WaitFor([&] { return Listening(); }, 30)) << kztest::ReadAll(root / "out.txt");
    EXPECT_TRUE(kztest::WaitFor([&] { return Catches(app.pid(), signal); }, 10)) << "no handler for " << name;
    app.Signal(signal);
    EXPECT_EQ(app.Wait(30), 0) << kztest::ReadAll(root / "out.txt");
    EXPECT_EQ(Query("select last_user from kz_global"), "O'Neil");
    EXPECT_EQ(Query("select profile_active from kz_user order by ID"), "3,3");
    EXPECT_FALSE(Listening()) << "the socket is removed at exit";
  }
}

TEST_F(ProcessFixture, FreshStartCreatesEverythingAndASecondStartLeavesAtOnce) {
  kztest::ChildProcess first({ProgramPath(), "/hide"}, Env(), root / "out.txt");
  ASSERT_TRUE(kztest::WaitFor([&] { return Listening(); }, 30)) << kztest::ReadAll(root / "out.txt");
  EXPECT_EQ(Query("select kz_ver || '|' || hard_ver || '|' || db_ver || '|' || last_user from kz_global"),
            "1.17|0.3|1.1|");
  EXPECT_EQ(Query("select user_name || '|' || profile_active || '|' || sync_last from kz_user"), "CommonUser|1|0");
  EXPECT_EQ(Query("select count(*) from sqlite_master where type='table' and name<>'sqlite_sequence'"), "6");
  auto autostart = kztest::ReadAll(root / "config/autostart/kzMouse.desktop");
  EXPECT_NE(autostart.find(" /hide\n"), std::string::npos) << autostart;

  // The second start shares the lock folder but has a data folder of its own: had it gone past
  // the single-instance test it would have made a database there.
  ::mkdir((root / "data2").c_str(), 0700);
  kztest::ChildProcess second({ProgramPath()}, Env("data2"), root / "out2.txt");
  EXPECT_EQ(second.Wait(20), 0) << kztest::ReadAll(root / "out2.txt");
  EXPECT_FALSE(kz::paths::FileExists(Db("data2")));
  EXPECT_TRUE(first.Running());
  first.Signal(SIGTERM);
  EXPECT_EQ(first.Wait(30), 0);
}

// The runtime folder as it may be found: missing (the window system would make it), open to others,
// not writable, or so deep that the socket's path does not fit an address. In each, one copy runs,
// a second start ends at once without going past the lock, and it asks the first to show. The first
// is the real program, and then a stand-in of the test's own, which sees the request arrive.
struct RuntimeCase {
  const char* name;
  std::string runSub;  // XDG_RUNTIME_DIR below the root
  int mode;            // -1: not made
  bool lockInData;     // else in the runtime folder
};

void PrintTo(const RuntimeCase& c, std::ostream* out) { *out << c.name; }

struct RuntimeFolderFixture : ProcessFixture, ::testing::WithParamInterface<RuntimeCase> {
  std::string RunDir() const { return root / GetParam().runSub; }
  std::vector<std::string> EnvFor(const std::string& configSub) const {
    std::vector<std::string> env = Env();
    for (auto& entry : env)
      if (entry.rfind("XDG_RUNTIME_DIR=", 0) == 0) entry = "XDG_RUNTIME_DIR=" + RunDir();
      else if (entry.rfind("XDG_CONFIG_HOME=", 0) == 0) entry = "XDG_CONFIG_HOME=" + root / configSub;
    // The window system's own fallback for a runtime folder it refuses lies below TMPDIR.
    env.push_back("TMPDIR=" + root.path());
    return env;
  }
  unsigned RunMode() const {
    struct stat st{};
    return ::lstat(RunDir().c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }
};

TEST_P(RuntimeFolderFixture, OneCopyRunsAndASecondStartAsksItToShow) {
  const RuntimeCase& c = GetParam();
  if (c.mode >= 0) {
    ASSERT_EQ(::mkdir(RunDir().c_str(), 0700), 0);
    ASSERT_EQ(::chmod(RunDir().c_str(), static_cast<mode_t>(c.mode)), 0);
  }
  const unsigned modeBefore = RunMode();
  // Where this process finds the lock with the same folders: where every start must find it.
  kztest::ScopedEnv data("XDG_DATA_HOME", (root / "data").c_str());
  kztest::ScopedEnv runtime("XDG_RUNTIME_DIR", RunDir().c_str());
  const std::string lockDir = kz::paths::RuntimeDir();
  EXPECT_EQ(lockDir, c.lockInData ? root / "data/kzMouse/" : RunDir() + "/");
  ::mkdir((root / "config2").c_str(), 0700);
  const std::string secondEntry = root / "config2/autostart/kzMouse.desktop";

  {
    kztest::ChildProcess first({ProgramPath(), "/hide"}, EnvFor("config"), root / "out.txt");
    ASSERT_TRUE(kztest::WaitFor([&] { return kz::app::SingleInstance::AskFirstToShow(lockDir); }, 30))
        << kztest::ReadAll(root / "out.txt");
    // Had the second gone past the lock, it would have written its own autostart entry.
    kztest::ChildProcess second({ProgramPath()}, EnvFor("config2"), root / "out2.txt");
    EXPECT_EQ(second.Wait(20), 0) << kztest::ReadAll(root / "out2.txt");
    EXPECT_FALSE(kz::paths::FileExists(secondEntry)) << "the second start ran as well";
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(kztest::WaitFor([&] { return Catches(first.pid(), SIGTERM); }, 10));
    first.Signal(SIGTERM);
    EXPECT_EQ(first.Wait(30), 0) << kztest::ReadAll(root / "out.txt");
  }
  EXPECT_EQ(RunMode(), modeBefore) << "the runtime folder was made or changed";

  kz::app::SingleInstance standIn(lockDir);
  ASSERT_TRUE(standIn.TryAcquire()) << standIn.Problem();
  ASSERT_TRUE(standIn.Listen());
  kztest::ChildProcess second({ProgramPath()}, EnvFor("config2"), root / "out3.txt");
  EXPECT_EQ(second.Wait(20), 0) << kztest::ReadAll(root / "out3.txt");
  EXPECT_TRUE(standIn.TakeShowRequest());
  EXPECT_FALSE(kz::paths::FileExists(secondEntry));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RuntimeFolderFixture,
    ::testing::Values(RuntimeCase{"Missing", "run-missing", -1, true}, RuntimeCase{"OpenToOthers", "run-open", 0755, true},
                      RuntimeCase{"NotWritable", "run-readonly", 0500, true},
                      RuntimeCase{"TooLongForASocket", "run-" + std::string(110, 'r'), 0700, false}),
    [](const ::testing::TestParamInfo<RuntimeCase>& info) { return std::string(info.param.name); });

// A copy of the program in a folder of its own, so its program folder can hold updater files.
struct HandoffFixture : ProcessFixture {
  std::string program;
  std::string marker;
  void SetUp() override {
    ProcessFixture::SetUp();
    if (IsSkipped()) return;
    if (::geteuid() != 0) GTEST_SKIP() << "needs root: the hand-off asks for raised rights otherwise";
    program = root / "program/";
    ::mkdir(program.c_str(), 0755);
    ASSERT_TRUE(kz::paths::CopyFileOver(ProgramPath(), program + "kzMouse"));
    marker = root / "updater-ran";
  }
  void WriteUpdater(const std::string& name, const std::string& word) {
    kztest::WriteAll(program + name, "#!/bin/sh\necho " + word + " > '" + marker + "'\n");
    ::chmod((program + name).c_str(), 0755);
  }
};

TEST_F(HandoffFixture, PendingUpdaterReplacesTheOldOneWithoutShowingAWindow) {
  WriteUpdater("kz_update", "old");
  WriteUpdater("kz_update_new", "new");
  kztest::ChildProcess app({program + "kzMouse"}, Env(), root / "out.txt");
  EXPECT_EQ(app.Wait(30), 0) << kztest::ReadAll(root / "out.txt");
  EXPECT_TRUE(kztest::WaitFor([&] { return kztest::ReadAll(marker) == "new\n"; }, 10));
  EXPECT_FALSE(kz::paths::FileExists(program + "kz_update_new"));
  EXPECT_FALSE(kz::paths::FileExists(Db())) << "start-up ended before the database";
  EXPECT_TRUE(kz::paths::FileExists(root / "config/autostart/kzMouse.desktop"));
}

TEST_F(HandoffFixture, UpdateArgumentAnywhereStartsTheUpdaterAndEnds) {
  WriteUpdater("kz_update", "started");
  kztest::ChildProcess app({program + "kzMouse", "xupdatex"}, Env(), root / "out.txt");
  EXPECT_EQ(app.Wait(30), 0) << kztest::ReadAll(root / "out.txt");
  EXPECT_TRUE(kztest::WaitFor([&] { return kztest::ReadAll(marker) == "started\n"; }, 10));
  EXPECT_FALSE(kz::paths::FileExists(Db()));
  EXPECT_FALSE(kz::paths::FileExists(root / "config/autostart/kzMouse.desktop")) << "nothing past the hand-off ran";
}

}  // namespace
