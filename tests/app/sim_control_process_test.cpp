// The window program driven from outside through KZMOUSE_SIM_CONTROL: activity sent into the FIFO
// reaches the usage counters of the running program's database, and a path that is no FIFO is
// refused with a warning while the program runs on.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "base/paths.h"
#include "device/sim_control.h"
#include "store/database.h"
#include "support/test_support.h"

namespace {

// True once the process has a handler for `signal` (the SigCgt mask of /proc/PID/status).
bool Catches(int pid, int signal) {
  std::string status = kztest::ReadAll("/proc/" + std::to_string(pid) + "/status");
  size_t at = status.find("SigCgt:");
  if (at == std::string::npos) return false;
  return (std::strtoull(status.c_str() + at + 7, nullptr, 16) >> (signal - 1)) & 1;
}

struct SimControlProcess : ::testing::Test {
  kztest::TempDir root;

  void SetUp() override {
    if (!kz::paths::FileExists(kztest::BinaryDir() + "kzMouse")) GTEST_SKIP() << "kzMouse is not built";
    for (const char* sub : {"data", "state", "config", "run"}) ::mkdir((root / sub).c_str(), 0700);
  }
  std::vector<std::string> Env() const {
    const char* path = std::getenv("PATH");
    return {"XDG_DATA_HOME=" + root / "data", "XDG_STATE_HOME=" + root / "state",
            "XDG_CONFIG_HOME=" + root / "config", "XDG_RUNTIME_DIR=" + root / "run",
            "QT_QPA_PLATFORM=offscreen", "KZMOUSE_DEVICE=sim", "KZMOUSE_SIM_CONTROL=" + Control(),
            "XDG_CURRENT_DESKTOP=",
            "PATH=" + std::string(path ? path : "")};
  }
  std::string Control() const { return root / "control"; }
  long long LeftClicks() const {
    kz::store::Database db;
    if (!db.Open(root / "data/kzMouse/kzdb.mdb")) return -1;
    kz::store::Recordset rs(db);
    if (!rs.Open("select mouse_left from kz_user where user_name='CommonUser'") || rs.GetRecordCount() == 0) return -1;
    long long value = -1;
    rs.GetFieldValue(0, value);
    return value;
  }
};

TEST_F(SimControlProcess, ClicksSentIntoTheFifoAreCountedAndStoredByTheRunningWindow) {
  kztest::ChildProcess app({kztest::BinaryDir() + "kzMouse"}, Env(), root / "app.log");
  ASSERT_TRUE(app.started());
  // The reader starts with the first tick of the device timer; before it the clicks would wait.
  ASSERT_TRUE(kztest::WaitFor([&] { return LeftClicks() == 0; }, 20)) << kztest::ReadAll(root / "app.log");
  ASSERT_TRUE(kztest::WaitFor([&] { return kztest::ReadAll(root / "state/kzMouse/kz_log.txt").find("hid ret bytes:25") !=
                                             std::string::npos; }, 20));
  std::string problem;
  ASSERT_TRUE(kz::device::SendSimCommand(Control(), "click left 48", problem)) << problem;
  EXPECT_TRUE(kztest::WaitFor([&] { return LeftClicks() == 48; }, 20)) << LeftClicks();
  ASSERT_TRUE(kztest::WaitFor([&] { return Catches(app.pid(), SIGTERM); }, 20));
  app.Signal(SIGTERM);
  EXPECT_EQ(app.Wait(20), 0);
}

TEST_F(SimControlProcess, SomethingElseAtTheControlPathIsRefusedAndTheProgramRunsOn) {
  kztest::WriteAll(Control(), "not a fifo\n");
  kztest::ChildProcess app({kztest::BinaryDir() + "kzMouse"}, Env(), root / "app.log");
  ASSERT_TRUE(app.started());
  ASSERT_TRUE(kztest::WaitFor([&] { return LeftClicks() == 0; }, 20));
  EXPECT_TRUE(kztest::WaitFor([&] {
    return kztest::ReadAll(root / "app.log").find("kzMouse: warning: simulated mouse: control path " + Control() +
                                                  " is not a FIFO; the simulated mouse takes no commands from it\n") !=
           std::string::npos;
  }, 5)) << kztest::ReadAll(root / "app.log");
  EXPECT_EQ(kztest::ReadAll(Control()), "not a fifo\n");
  ASSERT_TRUE(kztest::WaitFor([&] { return Catches(app.pid(), SIGTERM); }, 20));
  app.Signal(SIGTERM);
  EXPECT_EQ(app.Wait(20), 0);
}

}  // namespace
