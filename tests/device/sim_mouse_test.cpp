#include "device/sim_mouse.h"

#include "base/paths.h"
#include "device/status_report.h"
#include "device_fixture.h"

#include <map>
#include <unistd.h>
#include <string>
#include <vector>

namespace kz::device {
namespace {

using Bytes = std::vector<unsigned char>;

class SimMouseTest : public kztest::SimMouseFixture {
 protected:
  void SetUp() override {
    SimMouseFixture::SetUp();
    ASSERT_EQ(HIDM_Init(0x7616, 0x530A), 0);
  }
  void Send(const std::string& text) { ASSERT_TRUE(SendCommandText(text)) << text; }
  // Sends "03F9" and reads the answer the way the reader does.
  Bytes Query() {
    EXPECT_TRUE(SendCommandText("03F9"));
    unsigned char buffer[1024] = {};
    int n = HIDM_Read(buffer, sizeof buffer);
    return n > 0 ? Bytes(buffer, buffer + n) : Bytes{};
  }
};

// The factory state: DPI 1600/3200/6400/8200 with level 1 active, the fourth report choice, neutral
// sensitivities, both lights preset 0 (00 91 FF) breathing at speed 0, firmware 0.3.
const Bytes kFactoryReport = {0x03, 0xF9, 0x00, 0x01, 0x20, 0x40, 0x80, 0xA4, 0x00, 0x11, 0x00, 0x91, 0xFF,
                              0x00, 0x91, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00};

TEST_F(SimMouseTest, AnswersTheStatusQueryWithItsFactoryState) {
  EXPECT_EQ(Query(), kFactoryReport);
  EXPECT_EQ(mouse_->StatusReport(), kFactoryReport);
  EXPECT_EQ(mouse_->FirmwareText(), "0.3");
  EXPECT_EQ(mouse_->ButtonMap(), (std::array<unsigned char, 11>{0xF1, 0xF2, 0xF3, 0xFE, 0xF4, 0xF5, 0x28, 0xF6,
                                                                 0xF7, 0xF8, 0xF9}));
  EXPECT_TRUE(mouse_->MacroBlocks().empty());
}

TEST_F(SimMouseTest, TakesTheSettingsCommandsIntoItsReport) {
  Send("03 10 02 02 08 00 21 00 ");
  Send("03 12 00 03 10 01 01 85 05 00 01");
  // Light 1 red 12, blue 56, green 34 (the command's order), breathing; light 2 off; speed 3.
  Send("03 09 10 12 56 34 00 00 00 03 03");
  Bytes report = Query();
  const Bytes expected = {0x03, 0xF9, 0x00, 0x02, 0x08, 0x00, 0x21, 0x00, 0x03, 0x10, 0x12, 0x34, 0x56,
                          0x00, 0x00, 0x00, 0x00, 0x03, 0x85, 0x05, 0x00, 0x01, 0x03, 0x00, 0x00};
  EXPECT_EQ(report, expected);
  auto decoded = StatusReport::Decode(report.data(), static_cast<int>(report.size()));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->light1Rgb, 0x12 + 256 * 0x34 + 65536 * 0x56);  // red, green, blue again
}

TEST_F(SimMouseTest, KeepsButtonMapAndMacroBlocks) {
  Send("03 11 00 F1 F2 F3 FE FF F5 04 F6 F7 F8 F9 ");
  Send("03 14 06 00 81 e1 00 00 81 04 00 00 82 e1 00 00 82 04 00 00 58");
  Send("03 14 05 02 81 04 00 08 ");
  Send("03 15 05 02 82 04 00 08 ");
  EXPECT_EQ(mouse_->ButtonMap(), (std::array<unsigned char, 11>{0xF1, 0xF2, 0xF3, 0xFE, 0xFF, 0xF5, 0x04, 0xF6,
                                                                 0xF7, 0xF8, 0xF9}));
  auto blocks = mouse_->MacroBlocks();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[6], (std::vector<Bytes>{{0x06, 0x00, 0x81, 0xE1, 0x00, 0x00, 0x81, 0x04, 0x00, 0x00, 0x82,
                                            0xE1, 0x00, 0x00, 0x82, 0x04, 0x00, 0x00, 0x58}}));
  EXPECT_EQ(blocks[5], (std::vector<Bytes>{{0x05, 0x02, 0x81, 0x04, 0x00, 0x08}, {0x05, 0x02, 0x82, 0x04, 0x00, 0x08}}));
  // A new first block starts the button's macro anew.
  Send("03 14 05 00 81 05 00 08 ");
  EXPECT_EQ(mouse_->MacroBlocks()[5], (std::vector<Bytes>{{0x05, 0x00, 0x81, 0x05, 0x00, 0x08}}));
}

TEST_F(SimMouseTest, FirmwareSequenceSetsTheVersionFromTheImage) {
  Send("035802");
  Send("03580401E800");
  Send("035803100000" + std::string(32, 'A'));
  Send("035803 02 FDFE 00 14");  // the version byte at 0xFDFF: 1.4
  Send("035801");
  EXPECT_EQ(mouse_->FirmwareRecordCount(), 2);
  EXPECT_EQ(mouse_->FirmwareText(), "1.4");
  EXPECT_EQ(StatusReport::Decode(Query().data(), 25)->FirmwareText(), "1.4");

  // Records outside an update, and an image without a version, change nothing.
  Send("035803 01 FDFF 22");
  Send("035802");
  Send("035801");
  EXPECT_EQ(mouse_->FirmwareText(), "1.4");
}

TEST_F(SimMouseTest, TracesEveryCommandInUpperCaseHex) {
  std::string tracePath = dir_ / "trace.txt";
  auto traced = std::make_shared<SimulatedMouse>("", tracePath);
  InstallBackend(traced);
  Send("03 10 04 01 20 40 80 a4 ");
  Send("03f9");
  Send("03 77");  // unknown commands are traced too
  const std::vector<std::string> lines = {"03 10 04 01 20 40 80 A4", "03 F9", "03 77"};
  EXPECT_EQ(traced->Trace(), lines);
  EXPECT_EQ(kztest::ReadLines(tracePath), lines);
}

TEST_F(SimMouseTest, ActivityGoesIntoOneReportAndIsCleared) {
  mouse_->Click(StatusReport::kClickLeft | StatusReport::kClickMiddle);
  mouse_->Scroll(true);
  mouse_->Move(0x1234);
  unsigned char buffer[64];
  // Each activity arrives as a report of its own, carrying what happened since the previous one.
  ASSERT_EQ(HIDM_Read(buffer, sizeof buffer), 25);
  EXPECT_EQ(buffer[16], 0x05);
  ASSERT_EQ(HIDM_Read(buffer, sizeof buffer), 25);
  EXPECT_EQ(buffer[16], 0x08);
  ASSERT_EQ(HIDM_Read(buffer, sizeof buffer), 25);
  EXPECT_EQ(buffer[16], 0x00);
  EXPECT_EQ(buffer[23], 0x12);
  EXPECT_EQ(buffer[24], 0x34);
  mouse_->Move(100000);
  ASSERT_EQ(HIDM_Read(buffer, sizeof buffer), 25);
  EXPECT_EQ(buffer[23] * 256 + buffer[24], 0xFFFF);  // saturates
  EXPECT_EQ(Query(), kFactoryReport);
}

TEST_F(SimMouseTest, RefusesOtherReportIdsAndTooLongCommands) {
  unsigned char report[65] = {0x04, 0xF9};
  std::string error;
  EXPECT_EQ(mouse_->Write(report, 2, error), kHidErrReportId);
  report[0] = 0x03;
  EXPECT_EQ(mouse_->Write(report, 65, error), kHidErrTooLong);
  EXPECT_TRUE(mouse_->Trace().empty());
}

TEST(SimMouseState, KeepsItsStateInTheFileAcrossRuns) {
  kztest::ScopedXdg xdg;
  kztest::TempDir dir;
  std::string path = dir / "sub/sim.state";
  {
    auto mouse = std::make_shared<SimulatedMouse>(path, "");
    std::string error;
    ASSERT_EQ(mouse->Open(0x7616, 0x530A, error), 0);
    for (std::string text : {"03 10 03 02 10 20 00 30", "03 14 03 00 81 06 00 08 ", "035802",
                             "035803 01 FDFF 21", "035801"}) {
      auto bytes = CommandTextToBytes(text);
      ASSERT_GT(mouse->Write(bytes.data(), static_cast<int>(bytes.size()), error), 0) << text;
    }
  }
  SimulatedMouse again(path, "");
  SimMouseState state = again.State();
  EXPECT_EQ(state.dpiCount, 3);
  EXPECT_EQ(state.dpiActive, 2);
  EXPECT_EQ(state.dpi, (std::array<unsigned char, 4>{0x10, 0x20, 0x00, 0x30}));
  EXPECT_EQ(state.macros.at(3), (std::vector<std::vector<unsigned char>>{{0x03, 0x00, 0x81, 0x06, 0x00, 0x08}}));
  EXPECT_EQ(again.FirmwareText(), "2.1");
  SimMouseState parsed;
  ASSERT_TRUE(SimMouseState::Parse(state.Serialize(), parsed));
  EXPECT_EQ(parsed, state);
}

// Macro blocks as the program may send them out of order (a write cut short, or a retry of a later
// block only): whatever the mouse keeps must come back from its state file on the next run.
TEST(SimMouseState, MacroBlocksWithoutTheirStartSurviveTheNextRun) {
  using Blocks = std::vector<Bytes>;
  struct Case {
    const char* name;
    std::vector<std::string> commands;
    std::map<int, Blocks> macros;  // what the mouse holds afterwards
  };
  const Case cases[] = {
      {"a second block with no first one", {"03 15 07 01 81 04 00 08"}, {}},
      {"the last block alone", {"03 17 07 01 81 04 00 08"}, {}},
      {"a gap after the first block",
       {"03 14 07 01 81 04 00 08", "03 16 07 01 82 04 00 08"},
       {{7, {{0x07, 0x01, 0x81, 0x04, 0x00, 0x08}}}}},
      {"a late block leaves another button's macro alone",
       {"03 14 05 02 81 04 00 08", "03 15 05 02 82 04 00 08", "03 15 06 01 81 05 00 08"},
       {{5, {{0x05, 0x02, 0x81, 0x04, 0x00, 0x08}, {0x05, 0x02, 0x82, 0x04, 0x00, 0x08}}}}},
      {"a block past the end of a kept macro",
       {"03 14 05 02 81 04 00 08", "03 15 05 02 82 04 00 08", "03 17 05 02 83 04 00 08"},
       {{5, {{0x05, 0x02, 0x81, 0x04, 0x00, 0x08}, {0x05, 0x02, 0x82, 0x04, 0x00, 0x08}}}}},
      {"blocks in order, then one sent again",
       {"03 14 05 02 81 04 00 08", "03 15 05 02 82 04 00 08", "03 16 05 02 83 04 00 08",
        "03 15 05 02 84 04 00 08"},
       {{5,
         {{0x05, 0x02, 0x81, 0x04, 0x00, 0x08},
          {0x05, 0x02, 0x84, 0x04, 0x00, 0x08},
          {0x05, 0x02, 0x83, 0x04, 0x00, 0x08}}}}},
  };
  kztest::ScopedXdg xdg;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    kztest::TempDir dir;
    std::string path = dir / "sim.state";
    SimMouseState sent;
    sent.dpiCount = 3;
    sent.dpiActive = 2;
    sent.dpi = {0x10, 0x20, 0x00, 0x30};
    sent.macros = c.macros;
    {
      auto mouse = std::make_shared<SimulatedMouse>(path, "");
      std::string error;
      ASSERT_EQ(mouse->Open(0x7616, 0x530A, error), 0);
      std::vector<std::string> commands = {"03 10 03 02 10 20 00 30"};
      commands.insert(commands.end(), c.commands.begin(), c.commands.end());
      for (const std::string& text : commands) {
        auto bytes = CommandTextToBytes(text);
        ASSERT_EQ(mouse->Write(bytes.data(), static_cast<int>(bytes.size()), error),
                  static_cast<int>(bytes.size()))
            << text;
      }
      EXPECT_EQ(mouse->State(), sent) << mouse->State().Serialize();
    }
    SimulatedMouse again(path, "");
    EXPECT_EQ(again.StateProblem(), "");
    EXPECT_EQ(again.State(), sent) << again.State().Serialize();
    EXPECT_FALSE(kz::paths::FileExists(path + ".bad"));
  }
}

TEST(SimMouseState, AMalformedFileGivesTheFactoryState) {
  kztest::ScopedXdg xdg;
  kztest::TempDir dir;
  const char* bad[] = {"", "something else\n", "kzmouse-sim-state 1\ndpi 04 01 20\n",
                       "kzmouse-sim-state 1\nfirmware 3\n", "kzmouse-sim-state 1\nbuttons F1 F2 XX F4 F5 F6 F7 F8 F9 FA FB\n",
                       "kzmouse-sim-state 1\nwhat 01\n"};
  for (const char* text : bad) {
    kztest::WriteAll(dir / "sim.state", text);
    SimulatedMouse mouse(dir / "sim.state", "");
    EXPECT_EQ(mouse.State(), SimMouseState{}) << text;
    // Nothing is lost: the file is kept aside, and the next change starts a fresh one.
    EXPECT_EQ(mouse.StateProblem(), "state file " + dir / "sim.state" +
                                        " is not a simulator state; factory state used, the file was moved to " +
                                        dir / "sim.state.bad");
    EXPECT_EQ(kztest::ReadAll(dir / "sim.state.bad"), text);
    mouse.ResetToFactory();
    EXPECT_EQ(kztest::ReadAll(dir / "sim.state"), SimMouseState{}.Serialize());
  }
}

// The trace file is opened for every command, so a link put at its path while the mouse runs is
// found then: the trace stops there with a problem text, the link's target is never written, and
// the in-memory trace goes on.
TEST(SimMouseTrace, ALinkPutAtTheTracePathLaterStopsTheFileNotTheMouse) {
  kztest::TempDir dir, elsewhere;
  const std::string trace = dir / "sim.trace", victim = elsewhere / "victim";
  kztest::WriteAll(victim, "not yours\n");
  SimulatedMouse mouse("", trace);
  std::string error;
  ASSERT_EQ(mouse.Open(0x7616, 0x530A, error), 0);
  auto send = [&](const std::string& text) {
    auto bytes = CommandTextToBytes(text);
    EXPECT_EQ(mouse.Write(bytes.data(), static_cast<int>(bytes.size()), error), static_cast<int>(bytes.size()));
  };
  send("03 F9");
  EXPECT_EQ(mouse.TraceProblem(), "");
  ASSERT_EQ(::unlink(trace.c_str()), 0);
  ASSERT_EQ(::symlink(victim.c_str(), trace.c_str()), 0);
  send("03 10 04 01 20 40 80 A4");
  send("03 F9");
  EXPECT_EQ(mouse.TraceProblem(), "trace file " + trace + " is a symbolic link; nothing more is traced");
  EXPECT_EQ(kztest::ReadAll(victim), "not yours\n");
  EXPECT_EQ(mouse.Trace(), (std::vector<std::string>{"03 F9", "03 10 04 01 20 40 80 A4", "03 F9"}));
}

}  // namespace
}  // namespace kz::device
