#include <gtest/gtest.h>

#include "macro/macro_event.h"
#include "settings/button_model.h"
#include "settings/model_fixture.h"

namespace kz::settings {
namespace {

constexpr int kVkA = 0x41, kVkC = 0x43, kVkAlt = 0x12;

TEST(ButtonCommands, MapCommand) {
  ButtonSlots slots;
  EXPECT_EQ(ButtonMapCommand(slots), "03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9 ");
  slots[6] = {kVkA, 0, ""};            // plain key on button 7
  slots[4] = {kVkA, kModShift, ""};    // combination on button 5
  slots[9] = {0, 0, "{MACRO}"};        // macro on button 10
  slots[3] = {kVkAlt, 0, ""};          // a key without device code stays on the factory function
  slots[7] = {0, kModControl, ""};     // modifiers without a key too
  EXPECT_EQ(ButtonMapCommand(slots), "03 11 00 F1 F2 F3 FE FF F5 04 F6 F7 FF F9 ");
}

TEST(ButtonCommands, FirmwareNumbersExchangeFiveAndSix) {
  const int expected[] = {1, 2, 3, 4, 6, 5, 7, 8, 9, 10, 11};
  for (int number = 1; number <= kButtonCount; ++number) EXPECT_EQ(FirmwareButtonNumber(number), expected[number - 1]);
}

TEST(ButtonCommands, KeyCombinations) {
  EXPECT_EQ(KeyComboMacro({kVkC, kModControl, ""}, 3),
            "03 14 03 00 81 e0 00 00 81 06 00 00 82 e0 00 00 82 06 00 00 58");
  EXPECT_EQ(KeyComboMacro({kVkA, kModShift, ""}, 5),
            "03 14 06 00 81 e1 00 00 81 04 00 00 82 e1 00 00 82 04 00 00 58");
  EXPECT_EQ(KeyComboMacro({0x70, kModAlt | kModWin | kModShift | kModControl, ""}, 11),
            "03 14 0B 00 81 e1 00 00 81 e0 00 00 81 e3 00 00 81 e2 00 00 81 3A 00 00 "
            "82 e1 00 00 82 e0 00 00 82 e3 00 00 82 e2 00 00 82 3A 00 00 58");
}

TEST(ButtonCommands, MacroCommandsAndPlays) {
  EXPECT_EQ(ButtonMacroCommand(0, 6, 1, "81 04 00 08 "), "03 14 05 00 81 04 00 08 ");
  EXPECT_EQ(ButtonMacroCommand(3, 5, 3, "82 04 00 08 "), "03 17 06 02 82 04 00 08 ");
  struct Case {
    int plays;
    const char* field;
  };
  const Case cases[] = {{1, "00"}, {10, "09"}, {11, "0A"}, {17, "10"}, {100, "63"}, {255, "FE"}, {0, "00"}, {300, "FE"}};
  for (const Case& c : cases) EXPECT_EQ(PlaysField(c.plays), c.field) << c.plays;
}

class ButtonModelTest : public kztest::ModelFixture {
 protected:
  long long AddMacro(const std::string& guid, const std::string& name, const std::vector<macro::MacroEvent>& events,
                     long long repeat, long long repeatSel) {
    EXPECT_TRUE(db_.Execute("insert into macro_set_detail2(user_name, mset_guid, macro_guid, macro_name, macro_value, "
                            "macro_repeat, repeat_sel) values('CommonUser', '{SET}', ?, ?, ?, ?, ?)",
                            {guid, name, macro::FormatMacroValue(events), repeat, repeatSel}));
    return db_.LastInsertId();
  }
  static std::vector<macro::MacroEvent> KeyEvents(int count) {
    std::vector<macro::MacroEvent> events;
    for (int i = 0; i < count; ++i) {
      events.push_back({kVkA, (i + 1) % 2, 20});
      events.push_back({0, 0, 20});  // delay rows never reach the mouse
    }
    return events;
  }
  std::vector<std::string> Sends() const {
    std::vector<std::string> sends;
    for (const std::string& event : link_.events)
      if (event.rfind("send ", 0) == 0) sends.push_back(event.substr(5));
    return sends;
  }

  ButtonModel model_{db_, link_.Link()};
};

TEST_F(ButtonModelTest, FactoryStateSendsOnlyTheMap) {
  ASSERT_TRUE(model_.WriteToDevice());
  EXPECT_EQ(link_.events, std::vector<std::string>{"send 03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9 "});
  EXPECT_EQ(LogLines(), (std::vector<std::string>{" 3.start write single key set 03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9 ",
                                                  " write single key set ok"}));
  EXPECT_EQ(model_.Caption(1), "鼠标左键");
  EXPECT_EQ(model_.Caption(7), "侧按键");
}

TEST_F(ButtonModelTest, WriteSequenceWithMacroAndCombination) {
  AddMacro("{M31}", "long", KeyEvents(31), 3, 1);
  ASSERT_TRUE(model_.AssignMacro(6, "{M31}"));
  ASSERT_TRUE(model_.SetSingleKey(5, kVkA, kModShift));
  ASSERT_TRUE(model_.SetSingleKey(7, kVkA, 0));
  ASSERT_TRUE(model_.WriteToDevice());

  std::string block15;
  for (int i = 0; i < 15; ++i) block15 += (i % 2 == 0 ? "81 04 00 14 " : "82 04 00 14 ");
  std::string oddBlock15;  // the second block starts with a release
  for (int i = 0; i < 15; ++i) oddBlock15 += (i % 2 == 0 ? "82 04 00 14 " : "81 04 00 14 ");
  EXPECT_EQ(link_.events, (std::vector<std::string>{
                              "send 03 11 00 F1 F2 F3 FE FF FF 04 F6 F7 F8 F9 ",
                              "pause 50",
                              "send 03 14 06 00 81 e1 00 00 81 04 00 00 82 e1 00 00 82 04 00 00 58",
                              "pause 50",
                              "send 03 14 05 02 " + block15,
                              "pause 50",
                              "send 03 15 05 02 " + oddBlock15,
                              "pause 50",
                              "send 03 16 05 02 81 04 00 14 ",
                          }));
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 10u);
  EXPECT_EQ(log[2], " 4. extra: start write marco key set 03 14 06 00 81 e1 00 00 81 04 00 00 82 e1 00 00 82 04 00 00 58");
  EXPECT_EQ(log[3], " write extra marco key set ok");
  EXPECT_EQ(log[4], " 4.1 start write marco key set 03 14 05 02 " + block15);
  EXPECT_EQ(log[8], " 4.3 start write marco key set 03 16 05 02 81 04 00 14 ");
  EXPECT_EQ(log[9], " write marco key set ok");
}

TEST_F(ButtonModelTest, WriteStopsAtTheFirstRefusal) {
  AddMacro("{M}", "m", KeyEvents(20), 1, 0);
  model_.AssignMacro(3, "{M}");
  model_.SetSingleKey(4, kVkC, kModControl);
  // Four commands: the map, two macro blocks, the combination.
  for (int refuse = 0; refuse <= 4; ++refuse) {
    link_ = {};
    link_.refuseFrom = refuse;
    ButtonModel model(db_, link_.Link());
    model.SetSlots(model_.Slots());
    EXPECT_EQ(model.WriteToDevice(), refuse == 4) << refuse;
    EXPECT_EQ(link_.sent.size(), static_cast<size_t>(std::min(refuse + 1, 4))) << refuse;
  }
}

TEST_F(ButtonModelTest, MacrosThatSendNothingOrTooMuch) {
  AddMacro("{DELAYS}", "delays", {{0, 0, 100}, {0, 0, 200}}, 1, 0);
  AddMacro("{HUGE}", "huge", KeyEvents(100), 300, 1);  // not made by this program's recorder
  model_.AssignMacro(3, "{DELAYS}");
  model_.AssignMacro(4, "{GONE}");
  model_.AssignMacro(8, "{HUGE}");
  EXPECT_EQ(model_.Caption(4), "");
  EXPECT_EQ(model_.Caption(8), "huge");
  ASSERT_TRUE(model_.WriteToDevice());
  std::vector<std::string> sends = Sends();
  ASSERT_EQ(sends.size(), 5u);
  EXPECT_EQ(sends[0], "03 11 00 F1 F2 FF FF F4 F5 28 FF F7 F8 F9 ");
  for (int block = 0; block < 4; ++block)
    EXPECT_EQ(sends[static_cast<size_t>(block + 1)].substr(0, 12), "03 " + std::to_string(14 + block) + " 08 FE ");
}

TEST_F(ButtonModelTest, UserActionsAndCaptions) {
  long long id = AddMacro("{M}", "My macro", KeyEvents(2), 1, 0);
  EXPECT_FALSE(model_.SetSingleKey(1, kVkA, 0));  // left and right keep their functions
  EXPECT_FALSE(model_.AssignMacro(2, "{M}"));
  EXPECT_FALSE(model_.SetSingleKey(3, kVkAlt, kModControl));  // no device code: refused
  EXPECT_EQ(model_.Slot(3), ButtonSlot{});
  EXPECT_FALSE(model_.SetSingleKey(12, kVkA, 0));

  ASSERT_TRUE(model_.SetSingleKey(3, kVkC, kModControl | 0x30));
  EXPECT_EQ(model_.Slot(3), (ButtonSlot{kVkC, kModControl, ""}));
  EXPECT_EQ(model_.Caption(3), "Control_C");
  ASSERT_TRUE(model_.AssignMacroById(3, id));  // a macro replaces the key
  EXPECT_EQ(model_.Slot(3), (ButtonSlot{0, 0, "{M}"}));
  EXPECT_EQ(model_.Caption(3), "My macro");
  EXPECT_FALSE(model_.AssignMacroById(4, id + 9));
  ASSERT_TRUE(model_.SetSingleKey(3, 0x0D, 0));  // a key replaces the macro
  EXPECT_EQ(model_.Slot(3), (ButtonSlot{0x0D, 0, ""}));
  EXPECT_EQ(model_.Caption(3), "ENTER");
  ASSERT_TRUE(model_.RestoreDefault(3));
  EXPECT_EQ(model_.Slot(3), ButtonSlot{});
  EXPECT_EQ(model_.Caption(3), "通用的滚轴键");
  EXPECT_EQ(ButtonMapCommand(model_.Slots()), "03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9 ");
}

TEST_F(ButtonModelTest, StoreRoundTripAddsTheRowAndWritesPlainColumnsAsZero) {
  AddMacro("{M}", "m", KeyEvents(2), 1, 0);
  ProfileKey key{"O'Brien", 5};
  model_.SetSingleKey(3, kVkC, kModControl);
  model_.AssignMacro(6, "{M}");
  model_.SetSingleKey(11, kVkA, 0);
  EXPECT_FALSE(model_.LoadFromStore(key));
  ASSERT_TRUE(model_.SaveToStore(key));  // no row yet: the button page adds it
  ASSERT_TRUE(model_.SaveToStore(key));
  EXPECT_EQ(Main2RowCount(), 1);
  ASSERT_TRUE(db_.Execute("update main2 set btn3=77, btn12_keycode=65"));

  ButtonModel other(db_, link_.Link());
  ASSERT_TRUE(other.LoadFromStore(key));
  EXPECT_EQ(other.Slots(), model_.Slots());
  EXPECT_EQ(other.Caption(6), "m");

  store::Recordset rs(db_);
  ASSERT_TRUE(rs.Open("select * from main2"));
  for (int number = 1; number <= kButtonCount; ++number) {
    long long plain = -1;
    rs.GetFieldValue("btn" + std::to_string(number), plain);
    EXPECT_EQ(plain, number == 3 ? 77 : 0);
  }
  EXPECT_TRUE(std::holds_alternative<std::monostate>(rs.GetValue(rs.FieldIndex("dpi_1"))));  // other pages' columns untouched
}

TEST_F(ButtonModelTest, RowWithOddValuesLoadsSafely) {
  ASSERT_TRUE(db_.Execute("insert into main2(user_name, profile_id, btn4_keycode, btn4_extra, btn5_keycode, btn5_extra, "
                          "btn6_marco_id) values('u', 1, 4660, 255, 65, -1, NULL)"));
  ASSERT_TRUE(model_.LoadFromStore({"u", 1}));
  EXPECT_EQ(model_.Slot(4).modifiers, 15);
  EXPECT_EQ(model_.Slot(5).modifiers, 15);
  EXPECT_EQ(model_.Slot(6).macro, "");
  EXPECT_EQ(model_.Caption(4), "DPI-分辨率循环");  // a key the mouse has no code for
  EXPECT_EQ(ButtonMapCommand(model_.Slots()), "03 11 00 F1 F2 F3 FE FF F5 28 F6 F7 F8 F9 ");
}

}  // namespace
}  // namespace kz::settings
