// The three settings models share one main2 row per user and profile.
#include <gtest/gtest.h>

#include "settings/button_model.h"
#include "settings/lighting_model.h"
#include "settings/model_fixture.h"
#include "settings/mouse_settings_model.h"

namespace kz::settings {
namespace {

class ProfileRows : public kztest::ModelFixture {
 protected:
  std::shared_ptr<InMemoryPointerSettings> pointer_ = std::make_shared<InMemoryPointerSettings>();
  MouseSettingsModel mouse_{db_, pointer_, link_.Link()};
  LightingModel lights_{db_, link_.Link()};
  ButtonModel buttons_{db_, link_.Link()};
};

TEST_F(ProfileRows, ModelsInAnyOrderShareTheRowOfTheActiveProfile) {
  const ProfileKey active{"it's me", 3};
  MouseSettings s;
  s.levels[1].enabled = false;
  s.reportRate = 0;
  mouse_.SetSettings(s);
  lights_.ChoosePreset(9);
  ASSERT_TRUE(buttons_.SetSingleKey(4, 0x41, kModAlt));
  // The buttons first: before, the button page could not make the row and lost the assignment.
  ASSERT_TRUE(buttons_.SaveToStore(active));
  ASSERT_TRUE(lights_.SaveToStore(active));
  ASSERT_TRUE(mouse_.SaveToStore(active));
  EXPECT_EQ(Main2RowCount(), 1);

  MouseSettingsModel mouse(db_, pointer_, link_.Link());
  LightingModel lights(db_, link_.Link());
  ButtonModel buttons(db_, link_.Link());
  ASSERT_TRUE(mouse.LoadFromStore({"it's me", 3}));
  ASSERT_TRUE(lights.LoadFromStore({"it's me", 3}));
  ASSERT_TRUE(buttons.LoadFromStore({"it's me", 3}));
  EXPECT_EQ(mouse.Settings(), mouse_.Settings());
  EXPECT_EQ(lights.Lights(), lights_.Lights());
  EXPECT_EQ(buttons.Slots(), buttons_.Slots());

  // switching shows defaults and writes nothing
  EXPECT_FALSE(buttons.LoadFromStore({"it's me", 4}));
  EXPECT_EQ(Main2RowCount(), 1);
}

TEST_F(ProfileRows, NoRowForAProfileThatIsNone) {
  for (const ProfileKey& key : {ProfileKey{"CommonUser", 0} /* no user loaded yet */, ProfileKey{"u", 6}, ProfileKey{"u", -1}, ProfileKey{"", 1}}) {
    EXPECT_FALSE(mouse_.SaveToStore(key));
    EXPECT_FALSE(lights_.SaveToStore(key));
    EXPECT_FALSE(buttons_.SaveToStore(key));
  }
  EXPECT_EQ(Main2RowCount(), 0);
}

TEST_F(ProfileRows, FailedSaveWritesNothingAndAppliesNothing) {
  ASSERT_TRUE(db_.Execute("drop table main2"));
  mouse_.SetDoubleClick(10);
  EXPECT_FALSE(mouse_.SaveToStore({"u", 1}));
  EXPECT_EQ(pointer_->DoubleClickTime(), 500);
  EXPECT_FALSE(mouse_.LoadFromStore({"u", 1}));
  EXPECT_FALSE(lights_.SaveToStore({"u", 1}));
  EXPECT_FALSE(buttons_.LoadFromStore({"u", 1}));
}

}  // namespace
}  // namespace kz::settings
