#include <gtest/gtest.h>

#include "macro/macro_store.h"
#include "macro/open_macro.h"
#include "settings/model_fixture.h"

namespace kz::macro {
namespace {

class MacroStoreTest : public kztest::ModelFixture {
 protected:
  long long AddMacro(const std::string& guid, const std::string& name, const store::Value& value,
                     const store::Value& repeat, const store::Value& repeatSel) {
    EXPECT_TRUE(db_.Execute("insert into macro_set_detail2(user_name, mset_guid, macro_guid, macro_name, macro_value, "
                            "macro_repeat, repeat_sel) values('CommonUser', '{SET}', ?, ?, ?, ?, ?)",
                            {guid, name, value, repeat, repeatSel}));
    return db_.LastInsertId();
  }
  std::string StoredValue(long long id) {
    store::Recordset rs(db_);
    EXPECT_TRUE(rs.Open("select * from macro_set_detail2 where ID=?", {id}));
    std::string value;
    rs.GetFieldValue(kColMacroValue, value);
    return value;
  }
};

TEST_F(MacroStoreTest, PlaysFollowTheRepeatToggle) {
  struct Case {
    store::Value repeat, repeatSel;
    int plays;
  };
  const Case cases[] = {
      {5LL, 0LL, 1}, {3LL, 1LL, 3}, {255LL, 1LL, 255},
      {0LL, 1LL, 1}, {1000LL, 1LL, 255},  // counts the page would refuse
      {store::Value{}, 1LL, 1},           // NULL count: the column default
  };
  int n = 0;
  for (const Case& c : cases) {
    std::string guid = "{G" + std::to_string(n++) + "}";
    AddMacro(guid, "m", std::string("65,1,0;65,0,0;"), c.repeat, c.repeatSel);
    DeviceMacro macro = LoadMacroForDevice(db_, guid);
    EXPECT_TRUE(macro.found);
    EXPECT_EQ(macro.plays, c.plays) << guid;
    EXPECT_EQ(macro.events.size(), 2u);
  }
  DeviceMacro missing = LoadMacroForDevice(db_, "{NONE}");
  EXPECT_FALSE(missing.found);
  EXPECT_TRUE(missing.events.empty());
  EXPECT_EQ(missing.plays, 1);
  AddMacro("{NULL}", "empty", store::Value{}, 1LL, 0LL);
  EXPECT_TRUE(LoadMacroForDevice(db_, "{NULL}").events.empty());
}

TEST_F(MacroStoreTest, NameAndGuidLookups) {
  long long id = AddMacro("{A}", "它's", std::string(), 1LL, 0LL);
  EXPECT_EQ(MacroNameOf(db_, "{A}"), "它's");
  EXPECT_EQ(MacroNameOf(db_, "{B}"), "");
  EXPECT_EQ(MacroGuidOfId(db_, id), "{A}");
  EXPECT_EQ(MacroGuidOfId(db_, id + 1), "");
}

TEST_F(MacroStoreTest, OpenMacroLoadEditSave) {
  long long first = AddMacro("{A}", "a", std::string("65,1,120;0,0,120;65,0,0;"), 7LL, 1LL);
  long long second = AddMacro("{B}", "b", store::Value{}, store::Value{}, 0LL);
  OpenMacro open(db_);
  EXPECT_FALSE(open.Save());  // nothing open yet
  ASSERT_TRUE(open.Load(first, 4, "{SET}"));
  EXPECT_EQ(open.Events(), (std::vector<MacroEvent>{{65, 1, 120}, {0, 0, 120}, {65, 0, 0}}));
  EXPECT_EQ(open.RepeatCount(), 7);
  EXPECT_TRUE(open.RepeatOn());
  EXPECT_EQ(open.SetId(), 4);
  EXPECT_EQ(open.SetGuid(), "{SET}");

  open.MutableEvents().push_back({66, 1, 0});
  EXPECT_TRUE(open.SetRepeatCount(255));
  open.SetRepeatOn(false);
  // Loading another macro saves the open one first.
  ASSERT_TRUE(open.Load(second, 4, "{SET}"));
  EXPECT_TRUE(open.Events().empty());
  EXPECT_EQ(open.RepeatCount(), 1);
  EXPECT_FALSE(open.RepeatOn());
  EXPECT_EQ(StoredValue(first), "65,1,120;0,0,120;65,0,0;66,1,0;");
  DeviceMacro stored = LoadMacroForDevice(db_, "{A}");
  EXPECT_EQ(stored.plays, 1);  // repeat now off

  ASSERT_TRUE(open.Save());  // an empty list is stored as the empty text
  EXPECT_EQ(StoredValue(second), "");
}

TEST_F(MacroStoreTest, MissingRowLoadsNothingAndLaterSaveChangesNoRow) {
  long long id = AddMacro("{A}", "a", std::string("65,1,0;"), 1LL, 0LL);
  OpenMacro open(db_);
  EXPECT_FALSE(open.Load(id + 50, 1, "{SET}"));
  EXPECT_EQ(open.MacroId(), id + 50);
  EXPECT_TRUE(open.Events().empty());
  open.MutableEvents().push_back({67, 1, 0});
  open.Save();
  EXPECT_EQ(StoredValue(id), "65,1,0;");
}

TEST_F(MacroStoreTest, RepeatCountValidation) {
  OpenMacro open(db_);
  for (const char* refused : {"0", "256", "", "-1", "1a", " 5", "99999999999"}) {
    EXPECT_FALSE(open.SetRepeatCountText(refused)) << refused;
    EXPECT_EQ(open.RepeatCount(), 1);
  }
  EXPECT_TRUE(open.SetRepeatCountText("255"));
  EXPECT_EQ(open.RepeatCount(), 255);
  EXPECT_FALSE(open.SetRepeatCount(0));
  EXPECT_EQ(open.RepeatCount(), 255);
}

}  // namespace
}  // namespace kz::macro
