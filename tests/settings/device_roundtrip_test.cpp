// The models against the simulated mouse through the real command channel: what a model writes
// is what the mouse then reports, and the report gives the model's settings back.
#include <gtest/gtest.h>

#include "device/channel.h"
#include "device/hidm.h"
#include "device/sim_mouse.h"
#include "device/status_report.h"
#include "macro/macro_event.h"
#include "settings/button_model.h"
#include "settings/lighting_model.h"
#include "settings/model_fixture.h"
#include "settings/mouse_settings_model.h"

namespace kz::settings {
namespace {

class DeviceRoundTrip : public kztest::ModelFixture {
 protected:
  void SetUp() override {
    ModelFixture::SetUp();
    device::InstallBackend(mouse_);
  }
  void TearDown() override {
    device::InstallBackend(nullptr);
    ModelFixture::TearDown();
  }
  // The channel, without the real pause between commands.
  static DeviceLink ChannelLink() {
    DeviceLink link = DefaultDeviceLink();
    link.pause = [](int) {};
    return link;
  }
  device::StatusReport Status() const {
    std::vector<unsigned char> bytes = mouse_->StatusReport();
    auto report = device::StatusReport::Decode(bytes.data(), static_cast<int>(bytes.size()));
    EXPECT_TRUE(report);
    return report.value_or(device::StatusReport{});
  }
  static MouseSettings DevicePart(MouseSettings s) {
    MouseSettings desktop;  // the desktop steps do not go to the mouse
    s.doubleClick = desktop.doubleClick;
    s.scrollByPage = desktop.scrollByPage;
    s.scrollSpeed = desktop.scrollSpeed;
    s.pointerSpeed = desktop.pointerSpeed;
    return s;
  }

  std::shared_ptr<device::SimulatedMouse> mouse_ = std::make_shared<device::SimulatedMouse>();
  std::shared_ptr<InMemoryPointerSettings> pointer_ = std::make_shared<InMemoryPointerSettings>();
};

TEST_F(DeviceRoundTrip, FactoryModelsMatchTheFactoryMouse) {
  MouseSettingsModel settings(db_, pointer_, ChannelLink());
  LightingModel lights(db_, ChannelLink());
  ButtonModel buttons(db_, ChannelLink());
  MouseSettingsModel fromMouse(db_, pointer_, ChannelLink());
  fromMouse.SetSettings(MouseSettings{});
  fromMouse.SelectLevel(3);
  fromMouse.SetReportRate(0);
  fromMouse.ApplyDeviceStatus(Status());
  EXPECT_EQ(DevicePart(fromMouse.Settings()), DevicePart(settings.Settings()));

  ASSERT_TRUE(settings.WriteToDevice());
  ASSERT_TRUE(lights.WriteToDevice());
  ASSERT_TRUE(buttons.WriteToDevice());
  EXPECT_EQ(mouse_->State(), device::SimMouseState{});
  EXPECT_EQ(mouse_->Trace(), (std::vector<std::string>{"03 10 04 01 20 40 80 A4", "03 12 00 00 10 01 01 00 00 00 00",
                                                       "03 09 11 00 FF 91 00 FF 91 00 00",
                                                       "03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9"}));
}

TEST_F(DeviceRoundTrip, MouseSettings) {
  struct Case {
    std::array<DpiLevel, 4> levels;
    int active, rate, sense, x, y;
    bool sw;
  };
  const Case cases[] = {
      {{{{true, 400}, {false, 3200}, {true, 1650}, {false, 8200}}}, 2, 1, 0, 10, 5, true},
      {{{{false, 200}, {true, 8200}, {false, 500}, {true, 250}}}, 3, 0, 3, 7, 9, false},
      {{{{true, 200}, {true, 350}, {true, 4750}, {true, 7000}}}, 0, 2, 10, 0, 4, true},
  };
  for (const Case& c : cases) {
    MouseSettings s;
    s.levels = c.levels;
    s.activeLevel = c.active;
    s.reportRate = c.rate;
    s.sense = c.sense;
    s.sensitivityX = c.x;
    s.sensitivityY = c.y;
    s.sensitivitySwitch = c.sw;
    MouseSettingsModel model(db_, pointer_, ChannelLink());
    model.SetSettings(s);
    ASSERT_TRUE(model.WriteToDevice());

    device::StatusReport report = Status();
    EXPECT_EQ(report.activeDpiLevel, ActiveLevelPosition(s));
    for (int level = 0; level < 4; ++level) {
      const DpiLevel& l = s.levels[static_cast<size_t>(level)];
      EXPECT_EQ(report.dpi[static_cast<size_t>(level)], l.enabled ? l.value / 50 : 0);
    }
    MouseSettingsModel fromMouse(db_, pointer_, ChannelLink());
    fromMouse.ApplyDeviceStatus(report);
    MouseSettings expected = s;
    for (DpiLevel& level : expected.levels)
      if (level.enabled) level.value = level.value / 50 * 50;
      else level.value = MouseSettings{}.levels[static_cast<size_t>(&level - expected.levels.data())].value;
    EXPECT_EQ(DevicePart(fromMouse.Settings()), DevicePart(expected));
  }
}

TEST_F(DeviceRoundTrip, Lights) {
  LightSettings lights;
  lights[0] = {12, MakeRgb(1, 2, 3), kPresetColour, true, false, 6};
  lights[1] = {0, MakeRgb(0x12, 0x34, 0x56), kFreeColour, true, true, 6};
  LightingModel model(db_, ChannelLink());
  model.SetLights(lights);
  ASSERT_TRUE(model.WriteToDevice());
  device::StatusReport report = Status();
  EXPECT_EQ(report.light1Rgb, static_cast<int>(kPresetColours[12]));
  EXPECT_EQ(report.light2Rgb, 0x563412);

  LightingModel fromMouse(db_, ChannelLink());
  fromMouse.SetFreeColour(MakeRgb(1, 2, 3));  // what the page shows as light 1's free colour
  fromMouse.ApplyDeviceStatus(report);
  EXPECT_EQ(fromMouse.Lights(), lights);
}

TEST_F(DeviceRoundTrip, ButtonsWithMacroAndCombination) {
  std::vector<macro::MacroEvent> events;
  for (int i = 0; i < 31; ++i) events.push_back({0x30 + i % 10, (i + 1) % 2, 10 * i});
  ASSERT_TRUE(db_.Execute("insert into macro_set_detail2(user_name, mset_guid, macro_guid, macro_name, macro_value, "
                          "macro_repeat, repeat_sel) values('CommonUser', '{S}', '{M}', 'm', ?, 12, 1)",
                          {macro::FormatMacroValue(events)}));
  ButtonModel model(db_, ChannelLink());
  ASSERT_TRUE(model.AssignMacro(6, "{M}"));
  ASSERT_TRUE(model.SetSingleKey(5, 0x41, kModShift));
  ASSERT_TRUE(model.SetSingleKey(3, 0x43, kModControl));
  ASSERT_TRUE(model.SetSingleKey(7, 0x70, 0));
  ASSERT_TRUE(model.WriteToDevice());

  EXPECT_EQ(mouse_->ButtonMap(), (std::array<unsigned char, 11>{0xF1, 0xF2, 0xFF, 0xFE, 0xFF, 0xFF, 0x3A, 0xF6, 0xF7,
                                                                 0xF8, 0xF9}));
  auto macros = mouse_->MacroBlocks();
  ASSERT_EQ(macros.size(), 3u);
  ASSERT_EQ(macros[5].size(), 3u);  // page button 6 is firmware button 5
  EXPECT_EQ(macros[5][0][1], 0x0B);  // twelve plays
  EXPECT_EQ(macros[5][2], (std::vector<unsigned char>{0x05, 0x0B, 0x81, 0x27, 0x01, 0x2C}));
  EXPECT_EQ(macros[6][0], (std::vector<unsigned char>{0x06, 0x00, 0x81, 0xE1, 0, 0, 0x81, 0x04, 0, 0, 0x82, 0xE1, 0,
                                                      0, 0x82, 0x04, 0, 0, 0x58}));
  std::vector<std::string> trace = mouse_->Trace();
  ASSERT_EQ(trace.size(), 6u);
  EXPECT_EQ(trace[1], "03 14 03 00 81 E0 00 00 81 06 00 00 82 E0 00 00 82 06 00 00 58");
  EXPECT_EQ(trace[3].substr(0, 12), "03 14 05 0B ");
  EXPECT_EQ(trace[5], "03 16 05 0B 81 27 01 2C");
}

TEST_F(DeviceRoundTrip, RefusingMouseStopsTheWrite) {
  mouse_->SetRefuseWrites(true);
  MouseSettingsModel settings(db_, pointer_, ChannelLink());
  LightingModel lights(db_, ChannelLink());
  ButtonModel buttons(db_, ChannelLink());
  EXPECT_FALSE(settings.WriteToDevice());
  EXPECT_FALSE(lights.WriteToDevice());
  EXPECT_FALSE(buttons.WriteToDevice());
  EXPECT_TRUE(mouse_->Trace().empty());
  std::vector<std::string> log = LogLines();
  EXPECT_EQ(std::count(log.begin(), log.end(), " write dpi ok"), 0);
}

}  // namespace
}  // namespace kz::settings
