// Driving the simulated mouse through its control FIFO: the command lines, the reports each one
// makes the mouse send, and what stands at the FIFO's path.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "device/sim_control.h"
#include "device/sim_mouse.h"
#include "device/status_report.h"
#include "support/test_support.h"

namespace kz::device {
namespace {

TEST(SimCommandLines, ParsedOrRefusedWithAReason) {
  using V = SimCommand::Verb;
  struct Case {
    const char* line;
    std::optional<SimCommand> command;
  };
  const Case cases[] = {
      {"click left", SimCommand{V::kClick, StatusReport::kClickLeft, 1}},
      {"  click right 3 ", SimCommand{V::kClick, StatusReport::kClickRight, 3}},
      {"click middle 10000000", SimCommand{V::kClick, StatusReport::kClickMiddle, 10000000}},
      {"scroll up 2", SimCommand{V::kScroll, StatusReport::kWheelUp, 2}},
      {"scroll down", SimCommand{V::kScroll, StatusReport::kWheelDown, 1}},
      {"move 400", SimCommand{V::kMove, 0, 400}},
      {"unplug", SimCommand{V::kUnplug, 0, 1}},
      {"plug", SimCommand{V::kPlug, 0, 1}},
      {"", std::nullopt},
      {"click", std::nullopt},
      {"click up", std::nullopt},
      {"click left 0", std::nullopt},
      {"click left -3", std::nullopt},
      {"click left 10000001", std::nullopt},
      {"click left 3x", std::nullopt},
      {"click left 3 4", std::nullopt},
      {"scroll left", std::nullopt},
      {"move", std::nullopt},
      {"move 99999999999999999999", std::nullopt},
      {"plug in", std::nullopt},
      {"CLICK left", std::nullopt},
  };
  for (const Case& c : cases) {
    std::string problem;
    EXPECT_EQ(ParseSimCommand(c.line, problem), c.command) << c.line;
    EXPECT_EQ(problem.empty(), c.command.has_value()) << c.line;
  }
}

class SimControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_EQ(mouse_->Open(0x7616, 0x530A, error), 0);
  }
  // The next status report, waiting for it on a reader of our own.
  std::vector<unsigned char> NextReport() {
    std::vector<unsigned char> buffer(64);
    std::string error;
    int n = mouse_->Read(buffer.data(), static_cast<int>(buffer.size()), error);
    buffer.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return buffer;
  }
  void Send(const std::string& line) {
    std::string problem;
    ASSERT_TRUE(SendSimCommand(path_, line, problem)) << problem;
  }

  kztest::TempDir dir_;
  std::string path_ = dir_ / "control";
  std::shared_ptr<SimulatedMouse> mouse_ = std::make_shared<SimulatedMouse>();
};

TEST_F(SimControlTest, CommandsThroughTheFifoBecomeStatusReports) {
  SimControl control(mouse_, path_);
  ASSERT_TRUE(control.Start()) << control.Problem();
  EXPECT_EQ(kztest::ModeOf(path_), 0600u);
  struct stat st {};
  ASSERT_EQ(::lstat(path_.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  // 48 clicks are two reports of 24; 25 would be two as well.
  Send("click left 48");
  for (int i = 0; i < 2; ++i) {
    std::vector<unsigned char> report = NextReport();
    ASSERT_EQ(report.size(), 25u);
    EXPECT_EQ(report[16], 0x01);
  }
  Send("bogus line");  // skipped, the next one still works
  Send("scroll down 1");
  EXPECT_EQ(NextReport()[16], 0x10);
  // Movement past one report's 65535 counts goes out in two.
  Send("move 70000");
  std::vector<unsigned char> first = NextReport(), second = NextReport();
  EXPECT_EQ(first[23] * 256 + first[24], 65535);
  EXPECT_EQ(second[23] * 256 + second[24], 70000 - 65535);
  EXPECT_EQ(second[16], 0);

  Send("unplug");
  EXPECT_TRUE(NextReport().empty());  // the read fails: the mouse is gone
  EXPECT_FALSE(mouse_->IsPlugged());
  Send("plug");
  ASSERT_TRUE(kztest::WaitFor([&] { return mouse_->IsPlugged(); }, 5.0));
  control.Stop();
}

TEST_F(SimControlTest, SomethingElseAtThePathIsRefusedAndLeftAlone) {
  kztest::WriteAll(path_, "keep me\n");
  SimControl control(mouse_, path_);
  EXPECT_FALSE(control.Start());
  EXPECT_EQ(control.Problem(),
            "control path " + path_ + " is not a FIFO; the simulated mouse takes no commands from it");
  EXPECT_EQ(kztest::ReadAll(path_), "keep me\n");
  std::string problem;
  EXPECT_FALSE(SendSimCommand(path_, "click left", problem));
  EXPECT_EQ(problem, "control path " + path_ + " is not a FIFO");
  EXPECT_EQ(kztest::ReadAll(path_), "keep me\n");

  ASSERT_EQ(::symlink("control", (dir_ / "link").c_str()), 0);
  SimControl linked(mouse_, dir_ / "link");
  EXPECT_FALSE(linked.Start());
  EXPECT_EQ(linked.Problem(),
            "control path " + (dir_ / "link") + " is a symbolic link; the simulated mouse takes no commands from it");
}

TEST_F(SimControlTest, AFifoThatNobodyReadsIsSaidSo) {
  std::string problem;
  EXPECT_FALSE(SendSimCommand(path_, "click left", problem));
  EXPECT_EQ(problem, "no control FIFO at " + path_ + " (start kzMouse --simulate with KZMOUSE_SIM_CONTROL=" + path_ + ")");
  {
    SimControl control(mouse_, path_);
    ASSERT_TRUE(control.Start());
  }
  // The FIFO stays after its reader is gone; a write must not wait for a new one.
  EXPECT_FALSE(SendSimCommand(path_, "click left", problem));
  EXPECT_EQ(problem, "nobody reads the control FIFO " + path_ + " (is kzMouse --simulate running with "
                     "KZMOUSE_SIM_CONTROL=" + path_ + "?)");
}

}  // namespace
}  // namespace kz::device
