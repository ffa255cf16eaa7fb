// The folders of the program: where they come from without HOME, which runtime folder may hold the
// lock, that the program's own folders are kept 0700, and that a path the system cannot take is
// named as such before anything is made.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/services.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "base/log.h"
#include "base/notify.h"
#include "base/paths.h"
#include "support/test_support.h"

namespace {

using kztest::ModeOf;
using kztest::ScopedUmask;

bool Exists(const std::string& path) {
  struct stat st{};
  return ::lstat(path.c_str(), &st) == 0;
}

std::string PasswordHome() {
  passwd* entry = ::getpwuid(::geteuid());
  if (entry == nullptr || entry->pw_dir == nullptr || entry->pw_dir[0] != '/') return {};
  std::string home = entry->pw_dir;
  return home.back() == '/' ? home : home + "/";
}

TEST(Home, WithoutAUsableHomeVariableTheFoldersComeFromThePasswordDatabase) {
  const std::string home = PasswordHome();
  if (home.empty()) GTEST_SKIP() << "this user has no home in the password database";
  kztest::ScopedEnv data("XDG_DATA_HOME", nullptr), state("XDG_STATE_HOME", nullptr),
      config("XDG_CONFIG_HOME", nullptr), runtime("XDG_RUNTIME_DIR", nullptr);
  // Unset, empty and relative all mean "not set": never /tmp, never the current folder.
  for (const char* value : {static_cast<const char*>(nullptr), "", "relative/home"}) {
    SCOPED_TRACE(value ? std::string("HOME=") + value : std::string("no HOME"));
    kztest::ScopedEnv noHome("HOME", value);
    EXPECT_EQ(kz::paths::DataDir(), home + ".local/share/kzMouse/");
    EXPECT_EQ(kz::paths::StateDir(), home + ".local/state/kzMouse/");
    EXPECT_EQ(kz::paths::ConfigHome(), home + ".config/");
    EXPECT_EQ(kz::paths::RuntimeDir(), home + ".local/share/kzMouse/");
    EXPECT_EQ(kz::log::DefaultPath(), home + ".local/state/kzMouse/kz_log.txt");
  }
  kztest::ScopedEnv relativeXdg("XDG_DATA_HOME", "share");
  kztest::ScopedEnv noHome("HOME", nullptr);
  EXPECT_EQ(kz::paths::DataDir(), home + ".local/share/kzMouse/");
}

// A user the password database does not know, as a process that can become one: everything that
// would need a home says so instead of falling back to a shared folder. The checks run in a child
// that takes that user id; its exit code is the number of the first failed check.
TEST(Home, WithNoHomeAtAllNothingIsPlacedAnywhereAndTheStartSaysWhy) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run as a user without a home";
  uid_t stranger = 61000;
  while (::getpwuid(stranger) != nullptr) ++stranger;
  kztest::TempDir cwd;  // a relative fallback would land here
  kztest::ScopedEnv home("HOME", nullptr), data("XDG_DATA_HOME", nullptr), state("XDG_STATE_HOME", nullptr),
      config("XDG_CONFIG_HOME", nullptr), runtime("XDG_RUNTIME_DIR", nullptr);
  ::chmod(cwd.path().c_str(), 0777);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (::chdir(cwd.path().c_str()) != 0 || ::setgroups(0, nullptr) != 0 || ::setresgid(stranger, stranger, stranger) != 0 ||
        ::setresuid(stranger, stranger, stranger) != 0)
      ::_exit(100);
    const std::function<bool()> checks[] = {
        [] { return kz::paths::DataDir().empty() && kz::paths::StateDir().empty(); },
        [] { return kz::paths::ConfigHome().empty() && kz::paths::RuntimeDir().empty(); },
        [] { return kz::log::DefaultPath().empty() && kz::app::AutostartPath().empty(); },
        [] { return !kz::app::WriteAutostartEntry("/opt/kz/kzMouse"); },
        [] {
          kz::app::SingleInstance instance(kz::paths::RuntimeDir());
          return !instance.TryAcquire() && instance.Problem().find("no home folder") != std::string::npos;
        },
        [] {
          std::string message;
          kz::SetMessageHandler([&](const std::string& text) { message += text; });
          bool windowRan = false;
          kz::app::StartupHooks hooks;
          hooks.runMainWindow = [&](kz::app::SingleInstance&, kz::app::Services&) { windowRan = true; };
          int code = kz::app::RunApplication({"kzMouse"}, hooks);
          kz::SetMessageHandler(nullptr);
          return code != 0 && !windowRan && message.find("no home folder") != std::string::npos;
        },
    };
    kz::Log("nowhere to go");
    for (size_t i = 0; i < std::size(checks); ++i)
      if (!checks[i]()) ::_exit(static_cast<int>(i + 1));
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "check " << WEXITSTATUS(status) << " failed";
  EXPECT_TRUE(std::filesystem::is_empty(cwd.path())) << "something went below the current folder";
}

TEST(RuntimeDir, OnlyAFolderOfThisUserWithModeExactly0700HoldsTheLock) {
  kztest::ScopedXdg xdg;
  const std::string root = xdg.root().path();
  const std::string dataDir = xdg.dataDir();
  auto folder = [&](const std::string& name, mode_t mode) {
    ::mkdir((root + name).c_str(), 0700);
    ::chmod((root + name).c_str(), mode);
    return root + name;
  };
  const std::string good = folder("good", 0700);
  ASSERT_EQ(::symlink(good.c_str(), (root + "link").c_str()), 0);
  kztest::WriteAll(root + "file", "");
  const struct {
    const char* name;
    bool set;
    std::string value;
    bool usable;
  } cases[] = {
      {"unset", false, "", false},
      {"empty", true, "", false},
      {"relative", true, "run", false},
      {"missing", true, root + "missing", false},
      {"a file", true, root + "file", false},
      {"a link to a fit folder", true, root + "link", false},
      {"0755", true, folder("open", 0755), false},
      {"0500, not writable", true, folder("readonly", 0500), false},
      {"0710", true, folder("group", 0710), false},
      {"0701", true, folder("others", 0701), false},
      {"01700", true, folder("sticky", 01700), false},
      {"0700", true, good, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    kztest::ScopedEnv runtime("XDG_RUNTIME_DIR", c.set ? c.value.c_str() : nullptr);
    EXPECT_EQ(kz::paths::RuntimeDir(), c.usable ? good + "/" : dataDir);
  }
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(good.c_str(), 4321, 4321), 0);
    kztest::ScopedEnv runtime("XDG_RUNTIME_DIR", good.c_str());
    EXPECT_EQ(kz::paths::RuntimeDir(), dataDir) << "another user's folder";
  }
}

// Each way the program makes one of its own folders.
struct OwnFolder {
  const char* name;
  std::string (*dir)(const kztest::ScopedXdg&);
  std::function<void()> make;
};

const OwnFolder kOwnFolders[] = {
    {"data folder, by the start-up",
     [](const kztest::ScopedXdg& xdg) { return xdg.dataDir(); },
     [] {
       kz::app::StartupHooks hooks;
       EXPECT_EQ(kz::app::RunApplication({"kzMouse"}, hooks), 0);
     }},
    {"state folder, by the log",
     [](const kztest::ScopedXdg& xdg) { return xdg.root() / "state/kzMouse/"; },
     [] { kz::Log("a line"); }},
    {"lock folder, the data folder when the runtime folder is not fit",
     [](const kztest::ScopedXdg& xdg) { return xdg.dataDir(); },
     [] {
       kztest::ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
       kz::app::SingleInstance instance(kz::paths::RuntimeDir());
       EXPECT_TRUE(instance.TryAcquire()) << instance.Problem();
     }},
};

TEST(OwnFolders, AreMade0700AndTightenedWhenFoundOpenButTheBaseFolderIsLeftAlone) {
  for (const OwnFolder& folder : kOwnFolders) {
    for (bool existing : {false, true}) {
      SCOPED_TRACE(std::string(folder.name) + (existing ? ", found 0755" : ", made under umask 0"));
      kztest::ScopedXdg xdg;
      ScopedUmask umask(0);
      const std::string dir = folder.dir(xdg);
      const std::string base = kz::paths::DirName(dir.substr(0, dir.size() - 1));
      ASSERT_EQ(::chmod(base.c_str(), 0755), 0);
      if (existing) {
        ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
        ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
      }
      folder.make();
      EXPECT_EQ(ModeOf(dir), 0700u);
      EXPECT_EQ(ModeOf(base), 0755u) << "$XDG_*_HOME is not the program's";
    }
  }
}

TEST(MakeDirs, APathTheSystemCannotTakeIsNamedAndNothingIsMade) {
  kztest::TempDir root;
  std::string deep = root.path();
  while (deep.size() < 4200) deep += std::string(200, 'd') + "/";
  const struct {
    const char* name;
    std::string dir;
    const char* detail;
  } cases[] = {
      {"past PATH_MAX", deep, " bytes, at most 4095)"},
      {"a name past NAME_MAX", root / (std::string(300, 'n') + "/kzMouse/"), "(a name of 300 bytes, at most 255)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string problem;
    EXPECT_FALSE(kz::paths::MakeDirs(c.dir, 0700, &problem));
    EXPECT_EQ(problem.rfind("path too long: " + c.dir + " (", 0), 0u) << problem;
    EXPECT_NE(problem.find(c.detail), std::string::npos) << problem;
    EXPECT_EQ(kz::paths::PathProblem(c.dir), problem);
    EXPECT_TRUE(std::filesystem::is_empty(root.path())) << "a part of the path was made";
  }
  std::string problem = "untouched";
  EXPECT_TRUE(kz::paths::MakeDirs(root / "a/b/c/", 0700, &problem));
  EXPECT_EQ(problem, "untouched");
  EXPECT_EQ(kz::paths::PathProblem(root / "a/b/c/"), "");
}

// The window program names a data folder the database cannot live in, instead of the database's
// "unable to open database file", and ends before writing anything.
TEST(Startup, ADataFolderTooLongForTheDatabaseIsNamedAndTheStartEnds) {
  kztest::ScopedXdg xdg;
  // The folder itself would fit; the database file in it would not.
  std::string dataHome = xdg.root().path();
  while (dataHome.size() + 200 < 4096 - 16) dataHome += std::string(199, 'x') + "/";
  dataHome += std::string(4096 - 14 - dataHome.size(), 'y');
  ASSERT_EQ(kz::paths::PathProblem(dataHome + "/kzMouse/"), "");
  kztest::ScopedEnv data("XDG_DATA_HOME", dataHome.c_str());
  std::vector<std::string> messages;
  kz::SetMessageHandler([&](const std::string& text) { messages.push_back(text); });
  bool windowRan = false;
  kz::app::StartupHooks hooks;
  hooks.runMainWindow = [&](kz::app::SingleInstance&, kz::app::Services&) { windowRan = true; };
  EXPECT_EQ(kz::app::RunApplication({"kzMouse"}, hooks), 1);
  kz::SetMessageHandler(nullptr);
  EXPECT_FALSE(windowRan);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("path too long: " + dataHome + "/kzMouse/kzdb.mdb (", 0), 0u) << messages[0];
  EXPECT_FALSE(Exists(xdg.root() / std::string(199, 'x'))) << "nothing of the path was made";
  EXPECT_FALSE(Exists(kz::app::AutostartPath()));
}

}  // namespace
