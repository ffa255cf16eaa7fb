// The files the program makes for itself (log, simulated mouse state and trace, single-instance
// lock, autostart entry): owner-only whatever the umask, never written through a link planted at
// their path nor the link removed, and a FIFO or folder there refused without waiting on it.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/single_instance.h"
#include "app/startup.h"
#include "base/log.h"
#include "base/paths.h"
#include "device/channel.h"
#include "device/sim_mouse.h"
#include "support/test_support.h"

namespace {

using kztest::ModeOf;
using kztest::ScopedUmask;

using kz::device::SimulatedMouse;

std::string LinkTarget(const std::string& path) {
  char target[4096];
  ssize_t n = ::readlink(path.c_str(), target, sizeof target);
  return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}

// One file of the program, by the code that makes it: `use` makes or uses `fileName` in `dir` and
// returns what its owner reported ("" when it has nothing to say, as the log never does).
struct OwnFile {
  const char* name;
  const char* fileName;
  bool reports;
  std::function<std::string(const std::string& dir)> use;
};

const OwnFile kOwnFiles[] = {
    {"log", "kz_log.txt", false,
     [](const std::string& dir) {
       kz::log::SetPath(dir + "kz_log.txt");
       kz::Log("a line");
       kz::log::SetPath("");
       return std::string();
     }},
    {"simulated mouse state", "sim.state", true,
     [](const std::string& dir) {
       SimulatedMouse mouse(dir + "sim.state", "");
       std::string problem = mouse.StateProblem();
       mouse.ResetToFactory();  // a save
       return problem;
     }},
    {"simulated mouse trace", "sim.trace", true,
     [](const std::string& dir) {
       SimulatedMouse mouse("", dir + "sim.trace");
       std::string error;
       mouse.Open(0x7616, 0x530A, error);
       auto bytes = kz::device::CommandTextToBytes("03 F9");
       mouse.Write(bytes.data(), static_cast<int>(bytes.size()), error);
       return mouse.TraceProblem();
     }},
    {"single-instance lock", "kzMouse.lock", true,
     [](const std::string& dir) {
       kz::app::SingleInstance instance(dir);
       bool taken = instance.TryAcquire();
       return taken ? std::string() : instance.Problem();
     }},
};

TEST(OwnFiles, AreOwnerOnlyWhateverTheUmask) {
  ScopedUmask umask(0);
  for (const OwnFile& file : kOwnFiles) {
    SCOPED_TRACE(file.name);
    kztest::TempDir dir;
    EXPECT_EQ(file.use(dir.path()), "");
    EXPECT_EQ(ModeOf(dir / file.fileName), 0600u);
  }
  kztest::ScopedXdg xdg;
  ASSERT_TRUE(kz::app::WriteAutostartEntry("/opt/kz/kzMouse"));
  EXPECT_EQ(ModeOf(kz::app::AutostartPath()), 0600u) << "autostart entry";
}

TEST(OwnFiles, ALinkAtTheirPathIsNeitherFollowedNorRemoved) {
  for (const OwnFile& file : kOwnFiles) {
    // A link to someone's file, and a dangling one through which a new file would be made.
    for (bool dangling : {false, true}) {
      SCOPED_TRACE(std::string(file.name) + (dangling ? ", dangling link" : ", link to a file"));
      kztest::TempDir dir, elsewhere;
      const std::string victim = elsewhere / "victim";
      if (!dangling) {
        kztest::WriteAll(victim, "not yours\n");
        ::chmod(victim.c_str(), 0644);
      }
      const std::string path = dir / file.fileName;
      ASSERT_EQ(::symlink(victim.c_str(), path.c_str()), 0);

      std::string problem = file.use(dir.path());
      EXPECT_EQ(LinkTarget(path), victim) << "the link is left as it was";
      if (dangling) {
        EXPECT_FALSE(kz::paths::FileExists(victim)) << "a file was made through the link";
      } else {
        EXPECT_EQ(kztest::ReadAll(victim), "not yours\n");
        EXPECT_EQ(ModeOf(victim), 0644u);
      }
      if (file.reports) {
        EXPECT_NE(problem.find(path + " is a symbolic link"), std::string::npos) << problem;
      }
    }
  }
}

// The autostart entry is the program's own and rewritten at every start: a link at its path is
// replaced by the new entry, and what it pointed to is not written.
TEST(OwnFiles, ALinkAtTheAutostartPathIsReplacedNotWrittenThrough) {
  kztest::ScopedXdg xdg;
  kztest::TempDir elsewhere;
  const std::string victim = elsewhere / "victim";
  kztest::WriteAll(victim, "not yours\n");
  ASSERT_TRUE(kz::paths::MakeDirs(kz::paths::DirName(kz::app::AutostartPath())));
  ASSERT_EQ(::symlink(victim.c_str(), kz::app::AutostartPath().c_str()), 0);
  ASSERT_TRUE(kz::app::WriteAutostartEntry("/opt/kz/kzMouse"));
  EXPECT_EQ(kztest::ReadAll(victim), "not yours\n");
  EXPECT_EQ(LinkTarget(kz::app::AutostartPath()), "");
  EXPECT_EQ(kztest::ReadLines(kz::app::AutostartPath()).front(), "[Desktop Entry]");
}

// Runs `use` in a child with a time limit, so that a file opened blocking shows as a failure here
// rather than as a test that never ends. Returns what the owner reported, or "timed out".
std::string UseWithin(const OwnFile& file, const std::string& dir, int seconds) {
  int pipe[2];
  if (::pipe(pipe) != 0) return "no pipe";
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipe[0]);
    std::string problem = file.use(dir);
    ssize_t ignored = ::write(pipe[1], problem.data(), problem.size());
    (void)ignored;
    ::_exit(0);
  }
  ::close(pipe[1]);
  bool ended = kztest::WaitFor([&] { return ::waitpid(pid, nullptr, WNOHANG) == pid; }, seconds);
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  std::string problem;
  char buffer[4096];
  for (ssize_t n; ended && (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) problem.append(buffer, static_cast<size_t>(n));
  ::close(pipe[0]);
  return ended ? problem : "timed out";
}

TEST(OwnFiles, AFifoOrAFolderAtTheirPathIsRefusedWithoutWaiting) {
  for (const OwnFile& file : kOwnFiles) {
    for (bool fifo : {true, false}) {
      SCOPED_TRACE(std::string(file.name) + (fifo ? ", FIFO" : ", folder"));
      kztest::TempDir dir;
      const std::string path = dir / file.fileName;
      ASSERT_EQ(fifo ? ::mkfifo(path.c_str(), 0600) : ::mkdir(path.c_str(), 0700), 0);
      std::string problem = UseWithin(file, dir.path(), 10);
      EXPECT_NE(problem, "timed out");
      if (file.reports) {
        EXPECT_NE(problem.find(path + " is not a regular file"), std::string::npos) << problem;
      }
      struct stat st{};
      ASSERT_EQ(::lstat(path.c_str(), &st), 0);
      EXPECT_TRUE(fifo ? S_ISFIFO(st.st_mode) : S_ISDIR(st.st_mode)) << "it is left where it was";
    }
  }
}

}  // namespace
