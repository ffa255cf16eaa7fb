// The walks of the profile session over the page models: what is stored, what the mouse is sent
// and in which order, and what a status report sets off.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/session.h"
#include "device/status_report.h"
#include "macro/macro_event.h"
#include "profile/profile_session.h"
#include "settings/applied_pointer_settings.h"
#include "settings/model_fixture.h"

namespace kz::profile {
namespace {

using kztest::RecordingLink;

class ProfileSessionTest : public kztest::ModelFixture {
 protected:
  void SetUp() override {
    ModelFixture::SetUp();
    session_.SetUserName("CommonUser");
    profiles_.SetActiveProfile(1);
  }

  long long Number(const std::string& sql) {
    store::Recordset rs(db_);
    EXPECT_TRUE(rs.Open(sql));
    long long n = -1;
    rs.GetFieldValue(0, n);
    return n;
  }
  std::vector<std::string> Sends() const {
    std::vector<std::string> sends;
    for (const std::string& event : link_.events)
      if (event.rfind("send ", 0) == 0) sends.push_back(event.substr(5));
    return sends;
  }
  static device::StatusReport Report() {
    unsigned char bytes[device::StatusReport::kLength] = {0x03, 0, 0, 1, 0x08, 0x10, 0, 0, 3};
    bytes[22] = 0x12;
    return *device::StatusReport::Decode(bytes, sizeof bytes);
  }
  void AddMacro(const std::string& guid, int keys) {
    std::vector<macro::MacroEvent> events;
    for (int i = 0; i < keys; ++i) events.push_back({0x41, i % 2 == 0, 10});
    ASSERT_TRUE(db_.Execute("insert into macro_set_detail2(user_name, mset_guid, macro_guid, macro_name, macro_value) "
                            "values('CommonUser', '{SET}', ?, 'm', ?)",
                            {guid, macro::FormatMacroValue(events)}));
  }

  Session session_;
  device::DirectWriter writer_{link_.Link()};
  ProfileSession profiles_{db_, session_, std::make_shared<settings::InMemoryPointerSettings>(), writer_, {}};
};

TEST_F(ProfileSessionTest, ProfilesLoadTheirRowOrFactoryValuesAndSaveAllMakesOneRow) {
  profiles_.MouseSettings().SetLevelValue(0, 400);
  ASSERT_TRUE(profiles_.Buttons().SetSingleKey(4, 0x41, 0));
  ASSERT_TRUE(profiles_.SaveAll());
  EXPECT_EQ(Main2RowCount(), 1);

  ASSERT_TRUE(profiles_.SelectProfile(2));
  EXPECT_EQ(profiles_.MouseSettings().Settings().levels[0].value, 1600);
  EXPECT_FALSE(profiles_.Buttons().Slot(4).HasKey());
  ASSERT_TRUE(profiles_.SelectProfile(1));
  EXPECT_EQ(profiles_.MouseSettings().Settings().levels[0].value, 400);
  EXPECT_TRUE(profiles_.Buttons().Slot(4).HasKey());
  for (int refused : {0, 6, -1}) EXPECT_FALSE(profiles_.SelectProfile(refused)) << refused;
  EXPECT_EQ(profiles_.ActiveProfile(), 1);
  EXPECT_EQ(Main2RowCount(), 1) << "switching stores nothing";
}

TEST_F(ProfileSessionTest, AFailedSaveLeavesTheRowAsItWas) {
  profiles_.MouseSettings().SetLevelValue(0, 400);
  ASSERT_TRUE(profiles_.SaveAll());
  // The lighting columns refuse the next write; the DPI written before them in the same save
  // must not stay behind on its own.
  ASSERT_TRUE(db_.Execute("create trigger refuse before update of light1_on on main2 "
                          "begin select raise(abort, 'refused'); end"));
  profiles_.MouseSettings().SetLevelValue(0, 5000);
  profiles_.Lighting().ToggleOn();
  EXPECT_FALSE(profiles_.SaveAll());
  EXPECT_EQ(Number("select dpi_1 from main2"), 400);
  EXPECT_EQ(Number("select light1_on from main2"), 1);
  auto log = LogLines();
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
    return line.rfind("save profile 1 of CommonUser failed: ", 0) == 0;
  }));
}

TEST_F(ProfileSessionTest, WriteAllWalksEverySlotWithItsPauseAndStopsQuietlyAtARefusal) {
  bool result = false;
  profiles_.WriteAll([&](bool ok) { result = ok; });
  EXPECT_TRUE(result);
  const std::string map = "send 03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9 ";
  EXPECT_EQ(link_.events, (std::vector<std::string>{
                              "send 03 10 04 01 20 40 80 A4 ", "pause 50", "send 03 12 00 00 10 01 01 00 00 00 00",
                              "pause 50", map, "pause 50", "send 03 09 11 00 FF 91 00 FF 91 00 00", "pause 50",
                              "pause 50", "pause 50", "pause 50"}));
  auto log = LogLines();
  EXPECT_EQ(log.front(), "Start Write Data ");
  EXPECT_EQ(log.back(), "Write Data Complete");

  link_ = RecordingLink();
  link_.refuseFrom = 2;  // the button map
  ::unlink((dir_ / "kz_log.txt").c_str());
  profiles_.WriteAll([&](bool ok) { result = ok; });
  EXPECT_FALSE(result);
  EXPECT_EQ(link_.sent.size(), 3u);
  log = LogLines();
  EXPECT_EQ(log.back(), " 3.start write single key set 03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9 ");
}

TEST_F(ProfileSessionTest, ApplyWritesTheGivenSlotsOnlyAndTheToolsWritePausesBetweenPages) {
  profiles_.Write({kLightingSlot, 4}, {});
  EXPECT_EQ(Sends(), (std::vector<std::string>{"03 09 11 00 FF 91 00 FF 91 00 00"}));
  link_ = RecordingLink();
  profiles_.WriteProfile({});
  EXPECT_EQ(link_.events, (std::vector<std::string>{"send 03 10 04 01 20 40 80 A4 ", "pause 50",
                                                    "send 03 12 00 00 10 01 01 00 00 00 00", "pause 50",
                                                    "send 03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9 ", "pause 50",
                                                    "send 03 09 11 00 FF 91 00 FF 91 00 00"}));
}

TEST_F(ProfileSessionTest, StatusReportsSendTheButtonsOnlyWhenTheyChangedOrMayBeLost) {
  AddMacro("{M1}", 20);
  ASSERT_TRUE(profiles_.Buttons().AssignMacro(3, "{M1}"));
  ASSERT_TRUE(profiles_.ApplyStatusReport(Report()));
  const std::vector<std::string> once = Sends();
  ASSERT_EQ(once.size(), 3u) << "the map and two macro blocks";
  EXPECT_EQ(session_.FirmwareVersion(), "1.2");
  EXPECT_EQ(profiles_.MouseSettings().Settings().levels[1].value, 800);
  EXPECT_EQ(Number("select dpi_2 from main2"), 800) << "the report is stored";

  for (int i = 0; i < 5; ++i) ASSERT_TRUE(profiles_.ApplyStatusReport(Report()));
  EXPECT_EQ(Sends(), once) << "nothing changed: nothing sent again";

  ASSERT_TRUE(profiles_.Buttons().SetSingleKey(4, 0x41, 0));
  ASSERT_TRUE(profiles_.ApplyStatusReport(Report()));
  EXPECT_EQ(Sends().size(), 6u) << "a change goes out";

  profiles_.ForgetSentButtons();  // a new connection
  ASSERT_TRUE(profiles_.ApplyStatusReport(Report()));
  EXPECT_EQ(Sends().size(), 9u);

  link_.refuseFrom = static_cast<int>(link_.sent.size());  // the mouse refuses the next write-back
  profiles_.ForgetSentButtons();
  ASSERT_TRUE(profiles_.ApplyStatusReport(Report()));
  link_.refuseFrom = -1;
  ASSERT_TRUE(profiles_.ApplyStatusReport(Report()));
  EXPECT_EQ(link_.sent.size(), 13u) << "a refused write-back is sent again at the next report";
}

// The desktop's settings as the program holds them: every change that reaches the desktop counts.
struct CountingPointer : settings::InMemoryPointerSettings {
  int sets = 0;
  bool SetDoubleClickTime(int v) override { return ++sets, InMemoryPointerSettings::SetDoubleClickTime(v); }
  bool SetWheelScrollLines(int v) override { return ++sets, InMemoryPointerSettings::SetWheelScrollLines(v); }
  bool SetMouseSpeed(int v) override { return ++sets, InMemoryPointerSettings::SetMouseSpeed(v); }
};

TEST_F(ProfileSessionTest, StatusReportsCostTheDesktopNothingWhenItsSettingsStayTheSame) {
  auto desktop = std::make_shared<CountingPointer>();
  ProfileSession window(db_, session_, std::make_shared<settings::AppliedPointerSettings>(desktop), writer_, {});
  window.SetActiveProfile(1);
  window.LoadAll();
  ASSERT_TRUE(window.SaveAll());
  const int afterStart = desktop->sets;
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(window.ApplyStatusReport(Report()));
  EXPECT_EQ(desktop->sets, afterStart);
  window.MouseSettings().SetPointerSpeed(9);
  ASSERT_TRUE(window.SaveAll());
  EXPECT_EQ(desktop->sets, afterStart + 1) << "only the changed value goes to the desktop";
}

TEST_F(ProfileSessionTest, AWindowWithoutTheButtonPageNeitherStoresNorSendsButtons) {
  ProfileSession::Options options;
  options.buttonPage = false;
  ProfileSession window(db_, session_, nullptr, writer_, options);
  window.SetActiveProfile(1);
  ASSERT_TRUE(window.ApplyStatusReport(Report()));
  EXPECT_TRUE(Sends().empty());
  EXPECT_EQ(Number("select count(*) from main2 where btn3_keycode is null"), 1);
  ASSERT_TRUE(window.FactoryReset({}));
  EXPECT_EQ(Sends().size(), 3u) << "settings and lights";
}

}  // namespace
}  // namespace kz::profile
