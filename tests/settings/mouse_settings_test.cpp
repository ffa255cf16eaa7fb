#include <gtest/gtest.h>

#include <array>

#include "device/status_report.h"
#include "settings/model_fixture.h"
#include "settings/mouse_settings_model.h"
#include "store/users.h"

namespace kz::settings {

void PrintTo(const MouseSettings& s, std::ostream* os) {
  *os << "{levels";
  for (const DpiLevel& level : s.levels) *os << " " << (level.enabled ? "+" : "-") << level.value;
  *os << " active " << s.activeLevel << " rate " << s.reportRate << " sense " << s.sense << "/" << s.sensitivityX
      << "/" << s.sensitivityY << " switch " << s.sensitivitySwitch << " dbl " << s.doubleClick << " page "
      << s.scrollByPage << " lines " << s.scrollSpeed << " speed " << s.pointerSpeed << "}";
}

namespace {

MouseSettings TwoLevels() {
  MouseSettings s;
  s.levels = {{{true, 400}, {false, 3200}, {true, 1650}, {false, 8200}}};
  s.activeLevel = 2;
  return s;
}

TEST(MouseSettingsCommands, DpiCommand) {
  EXPECT_EQ(DpiCommand(MouseSettings{}), "03 10 04 01 20 40 80 A4 ");
  EXPECT_EQ(DpiCommand(TwoLevels()), "03 10 02 02 08 00 21 00 ");
  MouseSettings s;
  s.levels[0].value = 8200;
  s.levels[1].value = 1649;  // integer division: 1600 DPI
  s.levels[3].enabled = false;
  s.activeLevel = 1;
  EXPECT_EQ(DpiCommand(s), "03 10 03 02 A4 20 80 00 ");
}

TEST(MouseSettingsCommands, ReportCommand) {
  EXPECT_EQ(ReportCommand(MouseSettings{}), "03 12 00 00 10 01 01 00 00 00 00");
  MouseSettings s;
  s.sense = 0;
  s.sensitivityX = 10;
  s.sensitivityY = 5;
  s.reportRate = 1;
  s.sensitivitySwitch = true;
  EXPECT_EQ(ReportCommand(s), "03 12 00 03 10 01 01 85 05 00 01");
  s.reportRate = 0;
  s.sense = 4;
  s.sensitivityX = 6;
  s.sensitivityY = 1;
  s.sensitivitySwitch = false;
  EXPECT_EQ(ReportCommand(s), "03 12 00 07 10 01 01 81 01 84 00");
}

TEST(MouseSettingsCommands, SensitivityBytesRoundTrip) {
  for (int step = 0; step <= kMaxStep; ++step) EXPECT_EQ(SensitivityStepOf(SensitivityDeviceByte(step)), step);
  EXPECT_EQ(SensitivityStepOf(0x86), 0);  // not a step byte
}

TEST(PointerSteps, Mappings) {
  EXPECT_EQ(DoubleClickTimeOfStep(0), 900);
  EXPECT_EQ(DoubleClickTimeOfStep(10), 200);
  EXPECT_EQ(DoubleClickStepOfTime(550), 5);
  EXPECT_EQ(DoubleClickStepOfTime(500), 0);  // not one of the eleven times
  EXPECT_EQ(WheelScrollLinesOf(true, 4), kWheelPageScroll);
  EXPECT_EQ(WheelScrollLinesOf(false, 4), 5);
  bool byPage = true;
  int step = 9;
  ScrollFromWheelLines(3, byPage, step);
  EXPECT_FALSE(byPage);
  EXPECT_EQ(step, 2);
  ScrollFromWheelLines(kWheelPageScroll, byPage, step);
  EXPECT_TRUE(byPage);
  EXPECT_EQ(step, 2);
  ScrollFromWheelLines(40, byPage, step);
  EXPECT_EQ(step, 10);
  EXPECT_EQ(MouseSpeedOfStep(0), 1);
  EXPECT_EQ(MouseSpeedOfStep(7), 14);
  EXPECT_EQ(PointerStepOfSpeed(7), 3);
  EXPECT_EQ(PointerStepOfSpeed(1), 0);
}

std::optional<device::StatusReport> Report(std::initializer_list<std::pair<int, int>> bytes) {
  std::array<unsigned char, 25> raw{};
  raw[0] = 0x03;
  raw[3] = 1;
  raw[4] = 0x20;
  for (auto [index, value] : bytes) raw[static_cast<size_t>(index)] = static_cast<unsigned char>(value);
  return device::StatusReport::Decode(raw.data(), static_cast<int>(raw.size()));
}

class MouseSettingsModelTest : public kztest::ModelFixture {
 protected:
  std::shared_ptr<InMemoryPointerSettings> pointer_ = std::make_shared<InMemoryPointerSettings>();
  MouseSettingsModel model_{db_, pointer_, link_.Link()};
};

TEST_F(MouseSettingsModelTest, WriteSendsBothCommandsWithPauseAndLogs) {
  model_.SetSettings(TwoLevels());
  ASSERT_TRUE(model_.WriteToDevice());
  EXPECT_EQ(link_.events, (std::vector<std::string>{"send 03 10 02 02 08 00 21 00 ", "pause 50",
                                                   "send 03 12 00 00 10 01 01 00 00 00 00"}));
  EXPECT_EQ(LogLines(), (std::vector<std::string>{" 1.start write dpi 03 10 02 02 08 00 21 00 ", " write dpi ok",
                                                  " 2.start write report 03 12 00 00 10 01 01 00 00 00 00",
                                                  " write report ok"}));
}

TEST_F(MouseSettingsModelTest, WriteStopsAtTheFirstRefusal) {
  link_.refuseFrom = 0;
  EXPECT_FALSE(model_.WriteToDevice());
  EXPECT_EQ(link_.sent.size(), 1u);
  link_.sent.clear();
  link_.refuseFrom = 1;
  EXPECT_FALSE(model_.WriteToDevice());
  EXPECT_EQ(link_.sent.size(), 2u);
}

TEST_F(MouseSettingsModelTest, StoreRoundTripAddsTheRowOnce) {
  ProfileKey key{"O'Brien", 2};
  MouseSettings s = TwoLevels();
  s.reportRate = 1;
  s.sense = 0;
  s.sensitivityX = 10;
  s.sensitivityY = 7;
  s.sensitivitySwitch = true;
  s.doubleClick = 3;
  s.scrollByPage = false;
  s.scrollSpeed = 6;
  s.pointerSpeed = 0;
  model_.SetSettings(s);
  EXPECT_FALSE(model_.LoadFromStore(key));  // no row yet
  ASSERT_TRUE(model_.SaveToStore(key));
  ASSERT_TRUE(model_.SaveToStore(key));
  EXPECT_EQ(Main2RowCount(), 1);
  // Saving applied the desktop settings.
  EXPECT_EQ(pointer_->DoubleClickTime(), 690);
  EXPECT_EQ(pointer_->WheelScrollLines(), 7);
  EXPECT_EQ(pointer_->MouseSpeed(), 1);

  MouseSettingsModel other(db_, pointer_, link_.Link());
  ASSERT_TRUE(other.LoadFromStore(key));
  EXPECT_EQ(other.Settings(), s);
  EXPECT_FALSE(other.LoadFromStore({"O'Brien", 3}));
  EXPECT_FALSE(other.LoadFromStore({"Someone", 2}));
}

TEST_F(MouseSettingsModelTest, LoadReadsTheDesktopBackAndScrollByPageKeepsTheStep) {
  MouseSettings s;
  s.scrollByPage = true;
  s.scrollSpeed = 8;
  model_.SetSettings(s);
  ASSERT_TRUE(model_.SaveToStore({"u", 1}));
  EXPECT_EQ(pointer_->WheelScrollLines(), kWheelPageScroll);
  MouseSettingsModel other(db_, pointer_, link_.Link());
  ASSERT_TRUE(other.LoadFromStore({"u", 1}));
  EXPECT_TRUE(other.Settings().scrollByPage);
  EXPECT_EQ(other.Settings().scrollSpeed, 8);
}

TEST_F(MouseSettingsModelTest, RowOfAnotherPageOrWithBadValuesLoadsSafely) {
  // A row that only the lighting page has saved holds NULL DPI columns; another program may
  // have stored values out of range.
  ASSERT_TRUE(db_.Execute("insert into main2(user_name, profile_id, light1_on) values('u', 1, 1)"));
  ASSERT_TRUE(db_.Execute("insert into main2(user_name, profile_id, dpi_active, dpi_1, dpi_1c, dpi_2, dpi_2c, "
                          "report_rate, Sense, sensitivity_x) values('u', 2, 9, 0, 0, 99999, 1, -4, 40, -2)"));
  ASSERT_TRUE(model_.LoadFromStore({"u", 1}));
  EXPECT_EQ(model_.Settings(), MouseSettings{});

  ASSERT_TRUE(model_.LoadFromStore({"u", 2}));
  const MouseSettings& s = model_.Settings();
  EXPECT_EQ(s.activeLevel, 3);
  EXPECT_TRUE(s.levels[3].enabled);
  EXPECT_EQ(s.levels[0], (DpiLevel{false, 200}));
  EXPECT_EQ(s.levels[1], (DpiLevel{true, 8200}));
  EXPECT_EQ(s.reportRate, 0);
  EXPECT_EQ(s.sense, 10);
  EXPECT_EQ(s.sensitivityX, 0);
}

TEST_F(MouseSettingsModelTest, ResetKeepsTheSwitchAndReadsTheDesktop) {
  pointer_->SetDoubleClickTime(620);
  pointer_->SetWheelScrollLines(3);
  pointer_->SetMouseSpeed(7);
  MouseSettings s = TwoLevels();
  s.sensitivitySwitch = true;
  s.sense = 1;
  model_.SetSettings(s);
  model_.ResetToDefaults();
  MouseSettings expected;
  expected.sensitivitySwitch = true;
  expected.doubleClick = 4;
  expected.scrollSpeed = 2;
  expected.pointerSpeed = 3;
  EXPECT_EQ(model_.Settings(), expected);
  EXPECT_EQ(pointer_->DoubleClickTime(), 620);  // nothing applied
}

TEST_F(MouseSettingsModelTest, LevelActions) {
  model_.SelectLevel(2);
  EXPECT_FALSE(model_.SetLevelEnabled(2, false));  // the active level stays on
  EXPECT_FALSE(model_.ToggleLevelEnabled(2));
  EXPECT_TRUE(model_.ToggleLevelEnabled(0));
  EXPECT_FALSE(model_.Settings().levels[0].enabled);
  model_.SelectLevel(0);  // selecting enables
  EXPECT_TRUE(model_.Settings().levels[0].enabled);
  EXPECT_TRUE(model_.SetLevelEnabled(2, false));

  model_.StepLevel(3, +1);  // 8200 is the top
  EXPECT_EQ(model_.Settings().levels[3].value, 8200);
  model_.SetLevelValue(1, 250);
  model_.StepLevel(1, -1);
  EXPECT_EQ(model_.Settings().levels[1].value, 200);
  model_.StepLevel(1, +1);
  EXPECT_EQ(model_.Settings().levels[1].value, 300);

  EXPECT_TRUE(model_.SetLevelValueText(1, "9000"));
  EXPECT_EQ(model_.Settings().levels[1].value, 8200);
  for (const char* ignored : {"150", "", "12a", "-400", " "}) {
    EXPECT_FALSE(model_.SetLevelValueText(1, ignored)) << ignored;
    EXPECT_EQ(model_.Settings().levels[1].value, 8200);
  }
  EXPECT_TRUE(model_.SetLevelValueText(1, "1650"));
  EXPECT_EQ(model_.Settings().levels[1].value, 1650);

  EXPECT_EQ(MouseSettingsModel::DpiOfSliderPosition(0, 400), 200);
  EXPECT_EQ(MouseSettingsModel::DpiOfSliderPosition(200, 400), 4200);
  EXPECT_EQ(MouseSettingsModel::DpiOfSliderPosition(400, 400), 8200);
  EXPECT_EQ(MouseSettingsModel::DpiOfSliderPosition(3, 7), 3628);
}

TEST_F(MouseSettingsModelTest, ApplyDeviceStatus) {
  auto report = Report({{3, 2}, {4, 0x10}, {5, 0}, {6, 0x40}, {7, 0}, {8, 3}, {18, 0x85}, {19, 0x05}, {20, 0x42},
                        {21, 1}});
  ASSERT_TRUE(report);
  model_.SetLevelValue(1, 2500);
  model_.ApplyDeviceStatus(*report);
  const MouseSettings& s = model_.Settings();
  EXPECT_EQ(s.levels[0], (DpiLevel{true, 800}));
  EXPECT_EQ(s.levels[1], (DpiLevel{false, 2500}));  // a disabled level keeps its value
  EXPECT_EQ(s.levels[2], (DpiLevel{true, 3200}));
  EXPECT_FALSE(s.levels[3].enabled);
  EXPECT_EQ(s.activeLevel, 2);
  EXPECT_EQ(s.reportRate, 1);
  EXPECT_EQ(s.sense, 0);
  EXPECT_EQ(s.sensitivityX, 10);
  EXPECT_EQ(s.sensitivityY, 0);  // no step has 0x42
  EXPECT_TRUE(s.sensitivitySwitch);
}

TEST_F(MouseSettingsModelTest, ApplyDeviceStatusWithOddActivePositions) {
  struct Case {
    int position;
    int activeBefore;
    int activeAfter;
  };
  // Levels 2 and 4 enabled in every report.
  const Case cases[] = {
      {1, 0, 1}, {2, 0, 3},
      {3, 0, 1},  // beyond the enabled levels: the first enabled one
      {0, 3, 3},  // names no level: the current one stays while it is enabled
      {9, 0, 1},  // ... and otherwise the first enabled one
  };
  for (const Case& c : cases) {
    model_.SetSettings(MouseSettings{});
    model_.SelectLevel(c.activeBefore);
    model_.ApplyDeviceStatus(*Report({{3, c.position}, {4, 0}, {5, 0x10}, {6, 0}, {7, 0x20}}));
    EXPECT_EQ(model_.Settings().activeLevel, c.activeAfter) << c.position;
    EXPECT_TRUE(model_.Settings().levels[static_cast<size_t>(model_.Settings().activeLevel)].enabled);
  }
  // A report without any level, or with a level byte beyond the range, cannot break the levels.
  model_.SetSettings(TwoLevels());
  model_.ApplyDeviceStatus(*Report({{4, 0}, {8, 0x55}}));
  EXPECT_EQ(model_.Settings().levels, TwoLevels().levels);
  EXPECT_EQ(model_.Settings().reportRate, 3);  // unknown code: unchanged
  model_.ApplyDeviceStatus(*Report({{4, 0xFF}, {5, 1}}));
  EXPECT_EQ(model_.Settings().levels[0].value, 8200);
  EXPECT_EQ(model_.Settings().levels[1].value, 200);
}

}  // namespace
}  // namespace kz::settings
