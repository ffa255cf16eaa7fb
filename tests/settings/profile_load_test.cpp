// A profile row that cannot be read is not a profile that has no row: the pages keep what they
// hold and the caller is told, instead of being shown factory values as if nothing were stored.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/session.h"
#include "profile/profile_session.h"
#include "settings/button_model.h"
#include "settings/lighting_model.h"
#include "settings/model_fixture.h"
#include "settings/mouse_settings_model.h"

namespace kz::settings {
namespace {

// Ways main2 ends up unreadable, each with what the database says about it.
struct Damage {
  const char* name;
  const char* sql;
  const char* reason;
};
const Damage kDamages[] = {
    {"Dropped", "drop table main2", "no such table: main2"},
    {"NoDpiColumn", "alter table main2 drop column dpi_3", "main2 has no column dpi_3"},
    {"NoButtonColumn", "alter table main2 drop column btn4_keycode", "main2 has no column btn4_keycode"},
    {"NoLightColumn", "alter table main2 drop column light2_speed", "main2 has no column light2_speed"},
};
std::string NameOf(const ::testing::TestParamInfo<Damage>& info) { return info.param.name; }

void PrintTo(const Damage& damage, std::ostream* os) { *os << damage.name; }

class ProfileLoad : public kztest::ModelFixture {
 protected:
  void SetUp() override {
    ModelFixture::SetUp();
    session_.SetUserName("CommonUser");
    profiles_.SetActiveProfile(1);
    // Profile 1 is stored with values of its own; the pages then show something else again, so
    // that both a reset and a load would be seen.
    Pages(/*stored=*/true);
    ASSERT_TRUE(profiles_.SaveAll());
    Pages(/*stored=*/false);
    shown_ = Shown();
  }

  void Pages(bool stored) {
    profiles_.MouseSettings().SetLevelValue(0, stored ? 400 : 7000);
    profiles_.MouseSettings().SetReportRate(stored ? 1 : 2);
    profiles_.Lighting().ChoosePreset(stored ? 9 : 4);
    ASSERT_TRUE(profiles_.Buttons().SetSingleKey(4, stored ? 0x41 : 0x42, 0));
  }

  struct State {
    MouseSettings mouse;
    LightSettings lights;
    ButtonSlots buttons;
    bool operator==(const State&) const = default;
  };
  State Shown() {
    return {profiles_.MouseSettings().Settings(), profiles_.Lighting().Lights(), profiles_.Buttons().Slots()};
  }
  long long Rows(const std::string& sql) {
    store::Recordset rs(db_);
    if (!rs.Open(sql)) return -1;
    long long n = -1;
    rs.GetFieldValue(0, n);
    return n;
  }

  Session session_;
  device::DirectWriter writer_{link_.Link()};
  profile::ProfileSession profiles_{db_, session_, std::make_shared<InMemoryPointerSettings>(), writer_, {}};
  State shown_;
};

TEST_F(ProfileLoad, RowNoRowAndFailureAreToldApart) {
  EXPECT_EQ(profiles_.LoadAll(), LoadResult::kLoaded);
  EXPECT_EQ(profiles_.MouseSettings().Settings().levels[0].value, 400);

  Pages(false);
  profiles_.SetActiveProfile(2);
  EXPECT_EQ(profiles_.LoadAll(), LoadResult::kNoRow);
  EXPECT_EQ(Shown(), State{});
}

class UnreadableRow : public ProfileLoad, public ::testing::WithParamInterface<Damage> {};

TEST_P(UnreadableRow, LeavesEveryPageAsItWasAndSaysWhy) {
  const Damage& damage = GetParam();
  ASSERT_TRUE(db_.Execute(damage.sql));

  // Each page on its own: told apart from "no row", and nothing changed.
  MouseSettingsModel mouse(db_, std::make_shared<InMemoryPointerSettings>(), link_.Link());
  LightingModel lights(db_, link_.Link());
  ButtonModel buttons(db_, link_.Link());
  mouse.SetLevelValue(0, 5000);
  const MouseSettings mouseBefore = mouse.Settings();
  EXPECT_EQ(mouse.Load({"CommonUser", 1}), LoadResult::kFailed);
  EXPECT_EQ(lights.Load({"CommonUser", 1}), LoadResult::kFailed);
  EXPECT_EQ(buttons.Load({"CommonUser", 1}), LoadResult::kFailed);
  EXPECT_FALSE(mouse.LoadFromStore({"CommonUser", 1}));
  EXPECT_EQ(mouse.Settings(), mouseBefore);

  // The session: no page falls back to its factory values, the reason is kept and logged.
  EXPECT_EQ(profiles_.LoadAll(), LoadResult::kFailed);
  EXPECT_EQ(Shown(), shown_) << "a page took factory values for a row it could not read";
  EXPECT_EQ(db_.GetLastErrorString(), damage.reason);
  const auto log = LogLines();
  EXPECT_NE(std::find(log.begin(), log.end(), std::string("load profile 1 of CommonUser failed: ") + damage.reason),
            log.end());
}

INSTANTIATE_TEST_SUITE_P(Main2, UnreadableRow, ::testing::ValuesIn(kDamages), NameOf);

// The update runs and reports no error, but the row stays as it was; or the row lacks a column
// the save would have set.
const Damage kUnsaved[] = {
    {"UpdateIgnored", "create trigger keep before update on main2 begin select raise(ignore); end",
     "the update changed no row of main2"},
    {"NoLightColumn", "alter table main2 drop column light1_on", "main2 has no column light1_on"},
};

class UnsavedRow : public ProfileLoad, public ::testing::WithParamInterface<Damage> {};

TEST_P(UnsavedRow, ASaveThatStoresNothingSaysSo) {
  ASSERT_TRUE(db_.Execute(GetParam().sql));
  EXPECT_FALSE(profiles_.Save({profile::kMouseSettingsSlot, profile::kLightingSlot}));
  EXPECT_EQ(db_.GetLastErrorString(), GetParam().reason);
  EXPECT_EQ(Rows("select dpi_1 from main2"), 400);
}

INSTANTIATE_TEST_SUITE_P(Main2, UnsavedRow, ::testing::ValuesIn(kUnsaved), NameOf);

}  // namespace
}  // namespace kz::settings
