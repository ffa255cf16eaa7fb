// kzmousectl's device commands, run as the program itself with the simulated mouse.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Result {
  int code = -1;
  std::string out, err;
};

class KzmousectlDevice : public ::testing::Test {
 protected:
  // Runs kzmousectl with `args` (each single-quoted for the shell) and `env` assignments in front.
  Result Run(const std::vector<std::string>& args, const std::string& env = "") {
    std::string command = env + " " + kztest::BinaryDir() + "kzmousectl";
    for (const auto& arg : args) command += " '" + arg + "'";
    command += " 2>" + dir_ / "stderr.txt";
    Result result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) result.out += chunk;
    int status = ::pclose(pipe);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = kztest::ReadAll(dir_ / "stderr.txt");
    return result;
  }

  kztest::ScopedXdg xdg_;  // the default state file lands in its data folder
  kztest::ScopedEnv noState_{"KZMOUSE_SIM_STATE", nullptr};
  kztest::ScopedEnv noTrace_{"KZMOUSE_SIM_TRACE", nullptr};
  kztest::ScopedEnv noDevice_{"KZMOUSE_DEVICE", nullptr};
  kztest::TempDir dir_;
};

const char* const kFactoryJson = R"({
  "activeDpiLevel" : 1,
  "bytes" : "03 f9 00 01 20 40 80 a4 00 11 00 91 ff 00 91 ff 00 00 00 00 00 00 03 00 00 ",
  "clickFlags" : 0,
  "dpi" : 
  [
    1600,
    3200,
    6400,
    8200
  ],
  "dpiRaw" : 
  [
    32,
    64,
    128,
    164
  ],
  "firmware" : "0.3",
  "light1" : 
  {
    "blue" : 255,
    "breath" : 1,
    "green" : 145,
    "red" : 0,
    "rgb" : 16748800
  },
  "light2" : 
  {
    "blue" : 255,
    "breath" : 1,
    "green" : 145,
    "red" : 0,
    "rgb" : 16748800
  },
  "lightSpeed" : 0,
  "movement" : 0,
  "reportRateCode" : 0,
  "sense" : 0,
  "sensitivitySwitch" : 0,
  "sensitivityX" : 0,
  "sensitivityY" : 0
}
)";

TEST_F(KzmousectlDevice, StatusAsJsonShowsTheSimulatedMousesState) {
  Result r = Run({"--simulate", "status", "--json"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, kFactoryJson);
  EXPECT_EQ(r.err, "");
}

TEST_F(KzmousectlDevice, SendThenStatusInTwoRunsShowsTheNewDpiLevels) {
  Result sent = Run({"--simulate", "send", "03 10 02 02 08 00 21 00"});
  EXPECT_EQ(sent.code, 0) << sent.err;
  EXPECT_EQ(sent.out, "sent 03 10 02 02 08 00 21 00\n");

  Result status = Run({"status"}, "KZMOUSE_DEVICE=sim");
  EXPECT_EQ(status.code, 0) << status.err;
  EXPECT_EQ(status.out,
            "firmware            0.3\n"
            "active DPI level    2\n"
            "DPI levels          400 off 1650 off\n"
            "report rate code    00\n"
            "sense x y           00 00 00\n"
            "sensitivity switch  0\n"
            "light 1             breathing, red 00 green 91 blue FF\n"
            "light 2             breathing, red 00 green 91 blue FF\n"
            "light speed         0\n"
            "click flags         00\n"
            "movement            0\n"
            "bytes               03 f9 00 02 08 00 21 00 00 11 00 91 ff 00 91 ff 00 00 00 00 00 00 03 00 00 \n");
  EXPECT_TRUE(kztest::ReadAll(xdg_.dataDir() + "sim_mouse.state").find("dpi 02 02 08 00 21 00") != std::string::npos);
}

TEST_F(KzmousectlDevice, StateAndTraceFilesFromTheEnvironment) {
  std::string env = "KZMOUSE_SIM_STATE=" + dir_ / "mouse.state" + " KZMOUSE_SIM_TRACE=" + dir_ / "trace.txt";
  ASSERT_EQ(Run({"--simulate", "send", "03 10 04 01 20 40 80 A4"}, env).code, 0);
  Result r = Run({"--simulate", "status", "--json"}, env);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(kztest::ReadLines(dir_ / "trace.txt"),
            (std::vector<std::string>{"03 10 04 01 20 40 80 A4", "03 F9"}));
  EXPECT_TRUE(kztest::ReadAll(dir_ / "mouse.state").find("dpi 04 01 20 40 80 A4") != std::string::npos);
  EXPECT_FALSE(kztest::ReadAll(xdg_.dataDir() + "sim_mouse.state").size());  // the default one is unused
}

TEST_F(KzmousectlDevice, ListsTheSimulatedMouse) {
  Result r = Run({"list", "--simulate"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "USB\\VID_7616&PID_530A\\SIM0001\n");
  r = Run({"--simulate", "list", "--json"});
  EXPECT_EQ(r.out, "[\n  \"USB\\\\VID_7616&PID_530A\\\\SIM0001\"\n]\n");
}

TEST_F(KzmousectlDevice, RefusesBadInputWithAMessageAndAnExitCode) {
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string err;
  } cases[] = {
      {{"--simulate", "send", "03 1"}, 2, "kzmousectl: bad command text: a byte needs two hex digits (the last one has one)\n"},
      {{"--simulate", "send", "0x10"}, 2, "kzmousectl: bad command text: \"x\" is not a hex digit (at position 2)\n"},
      {{"--simulate", "send", "03 1 0"}, 2, "kzmousectl: bad command text: a byte needs two hex digits (at position 5)\n"},
      {{"--simulate", "send", ""}, 2, "kzmousectl: bad command text: no bytes in the command text\n"},
      {{"--simulate", "send", "03" + std::string(128, '0')}, 2,
       "kzmousectl: bad command text: the command has 65 bytes, at most 64 fit one report\n"},
      {{"--simulate", "send"}, 2, "kzmousectl: usage: kzmousectl send TEXT (for example \"03 10 04 01 20 40 80 A4\")\n"},
      {{"--simulate", "send", "04 F9"}, 4,
       "kzmousectl: the mouse did not take the command: unknown report id: the simulated mouse has only report 0x03\n"},
      {{"--simulate", "status", "extra"}, 2, "kzmousectl: unexpected argument \"extra\"; usage: kzmousectl status [--json]\n"},
      {{"--simulate", "frobnicate"}, 2, "kzmousectl: unknown command \"frobnicate\" (see --help)\n"},
      {{"--bogus", "status"}, 2, "kzmousectl: unknown option --bogus\n"},
  };
  for (const auto& c : cases) {
    Result r = Run(c.args);
    EXPECT_EQ(r.code, c.code) << c.args.back();
    EXPECT_EQ(r.err, c.err) << c.args.back();
    EXPECT_EQ(r.out, "") << c.args.back();
  }
  Result none = Run({});
  EXPECT_EQ(none.code, 2);
  EXPECT_NE(none.err.find("usage: kzmousectl [--simulate] COMMAND [ARGS]"), std::string::npos);
}

TEST_F(KzmousectlDevice, AnUnreadableStateFileIsKeptAsideWithAWarning) {
  std::string path = dir_ / "mouse.state";
  kztest::WriteAll(path, "not a state\n");
  Result r = Run({"--simulate", "status", "--json"}, "KZMOUSE_SIM_STATE=" + path);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, kFactoryJson);
  EXPECT_EQ(r.err, "kzmousectl: warning: simulated mouse: state file " + path +
                       " is not a simulator state; factory state used, the file was moved to " + path + ".bad\n");
  EXPECT_EQ(kztest::ReadAll(path + ".bad"), "not a state\n");
}

// Bytes of the command line that are not whole UTF-8 characters, or that would drive the terminal,
// are shown as \xNN; a whole character is shown as it is, not cut at its first byte.
TEST_F(KzmousectlDevice, TextQuotedInMessagesIsShownWholeOrEscaped) {
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"--simulate", "send", "03 \xE4\xB8\x80"}, "kzmousectl: bad command text: \"\xE4\xB8\x80\" is not a hex digit (at position 4)\n"},
      {{"--simulate", "send", "03 \xE4\xB8"}, "kzmousectl: bad command text: \"\\xE4\\xB8\" is not a hex digit (at position 4)\n"},
      {{"--simulate", "send", "03 \xE4\xB8" "10"}, "kzmousectl: bad command text: \"\\xE4\\xB8\" is not a hex digit (at position 4)\n"},
      {{"--simulate", "send", "03 \xC0\xAF"}, "kzmousectl: bad command text: \"\\xC0\\xAF\" is not a hex digit (at position 4)\n"},
      {{"--simulate", "send", "03 \xED\xA0\x80"}, "kzmousectl: bad command text: \"\\xED\\xA0\\x80\" is not a hex digit (at position 4)\n"},
      {{"--simulate", "send", "03\x1B[2J"}, "kzmousectl: bad command text: \"\\x1B\" is not a hex digit (at position 3)\n"},
      {{"--simulate", "status", "\xFF\xC3\xA9"}, "kzmousectl: unexpected argument \"\\xFF\xC3\xA9\"; usage: kzmousectl status [--json]\n"},
      {{"--simulate", "st\xE4tus"}, "kzmousectl: unknown command \"st\\xE4tus\" (see --help)\n"},
      {{"--b\x80gus", "status"}, "kzmousectl: unknown option --b\\x80gus\n"},
  };
  for (const auto& c : cases) {
    Result r = Run(c.args);
    EXPECT_EQ(r.code, 2) << c.err;
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
  }
}

// A FIFO where the tool keeps its log or the simulated mouse's state must neither stop it (a plain
// open would wait for a writer or reader that never comes) nor be replaced.
TEST_F(KzmousectlDevice, AFifoAtTheLogOrStatePathDoesNotHoldTheToolUp) {
  const std::string logPath = xdg_.root() / "state/kzMouse/kz_log.txt";
  ASSERT_EQ(::mkdir((xdg_.root() / "state/kzMouse").c_str(), 0700), 0);
  const struct {
    const char* name;
    std::string fifo;
    std::vector<std::string> env;
    std::string err;
  } cases[] = {
      {"log", logPath, {}, ""},
      {"state", dir_ / "fifo.state",
       {"KZMOUSE_SIM_STATE=" + dir_ / "fifo.state"},
       "kzmousectl: warning: simulated mouse: state file " + dir_ / "fifo.state" +
           " is not a regular file; factory state used, the file is left as it is\n"},
      {"trace", dir_ / "fifo.trace",
       {"KZMOUSE_SIM_TRACE=" + dir_ / "fifo.trace"},
       "kzmousectl: warning: simulated mouse: trace file " + dir_ / "fifo.trace" +
           " is not a regular file; it is left as it is and nothing is traced\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(::mkfifo(c.fifo.c_str(), 0600), 0);
    for (const char* command : {"status", "send"}) {
      std::vector<std::string> args = {kztest::BinaryDir() + "kzmousectl", "--simulate", command};
      if (std::string(command) == "send") args.push_back("03 10 02 02 08 00 21 00");
      ::unlink((dir_ / "out.txt").c_str());
      kztest::ChildProcess tool(args, c.env, dir_ / "out.txt");
      EXPECT_EQ(tool.Wait(20), 0) << command << ": " << kztest::ReadAll(dir_ / "out.txt");
      std::string out = kztest::ReadAll(dir_ / "out.txt");
      EXPECT_EQ(out.rfind(c.err, 0), 0u) << out;
      EXPECT_NE(out.find(std::string(command) == "send" ? "sent 03 10" : "firmware            0.3"), std::string::npos) << out;
      struct stat st{};
      ASSERT_EQ(::lstat(c.fifo.c_str(), &st), 0);
      EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the FIFO is left where it was";
    }
    ::unlink(c.fifo.c_str());
  }
}

// A data folder the database or the simulated mouse's state cannot live in is named as the cause,
// and nothing of it is made.
TEST_F(KzmousectlDevice, ADataFolderTooLongIsNamedAsTheCause) {
  const std::string root = xdg_.root().path();
  std::string deep = root + "deep";
  while (deep.size() < 4070) deep += "/" + std::string(200, 'd');
  const std::string wide = root + "wide/" + std::string(300, 'w');
  const struct {
    const char* name;
    std::string dataHome;
    std::vector<std::string> args;
    std::string path;  // what the message names
    std::string detail;
  } cases[] = {
      {"a name past NAME_MAX, profile", wide, {"profile", "show", "1"}, wide + "/kzMouse/kzdb.mdb",
       "(a name of 300 bytes, at most 255)"},
      {"a name past NAME_MAX, simulated state", wide, {"--simulate", "status"}, wide + "/kzMouse/sim_mouse.state",
       "(a name of 300 bytes, at most 255)"},
      {"past PATH_MAX, profile", deep, {"profile", "show", "1"}, deep + "/kzMouse/kzdb.mdb", " bytes, at most 4095)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Result r = Run(c.args, "XDG_DATA_HOME=" + c.dataHome);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind("kzmousectl: path too long: " + c.path + " (", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.detail + "\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(::access((root + "deep").c_str(), F_OK), 0) << "a part of the folder was made";
    EXPECT_NE(::access((root + "wide").c_str(), F_OK), 0) << "a part of the folder was made";
  }
}

TEST_F(KzmousectlDevice, WithoutAMouseTheCommandsSaySo) {
  // The real backend: on a machine with the mouse plugged in there is nothing to show here.
  Result list = Run({"list"});
  if (list.code == 0) GTEST_SKIP() << "a real mouse is plugged in";
  EXPECT_EQ(list.code, 3);
  const std::string message = "kzmousectl: no mouse present (USB 7616:530A); is it plugged in?\n";
  EXPECT_EQ(list.err, message);
  for (const char* command : {"status", "send"}) {
    Result r = std::string(command) == "send" ? Run({command, "03F9"}) : Run({command});
    EXPECT_EQ(r.code, 3) << command;
    EXPECT_EQ(r.err, message) << command;
  }
}

}  // namespace
