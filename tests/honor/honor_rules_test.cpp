// The honor categories: which levels a user's counters meet, the grant that stores each level
// once with its time, and what the five slots of the honor page show for the stored rows.
#include <gtest/gtest.h>

#include <cstdint>

#include "honor/honor.h"
#include "settings/model_fixture.h"

namespace kz::honor {
namespace {

constexpr std::time_t kNow = (static_cast<std::time_t>(1) << 32) + 1234;  // past 2038: low 32 bits 1234

class HonorTest : public kztest::ModelFixture {
 protected:
  void SetUp() override {
    ModelFixture::SetUp();
    ASSERT_TRUE(db_.Execute("insert into kz_user(user_name, user_pwd) values('CommonUser', '*')"));
  }
  void SetCounter(const std::string& column, long long value) {
    ASSERT_TRUE(db_.Execute("update kz_user set " + column + "=? where user_name='CommonUser'", {value}));
  }
  std::vector<EarnedHonor> Earned(int type) { return EarnedHonors(db_, "CommonUser", type).value(); }
  void Store(int type, int level) {
    ASSERT_TRUE(db_.Execute("insert into kz_honor(user_name,honor_type,honor_level,create_time) values('CommonUser',?,?,7)",
                            {static_cast<long long>(type), static_cast<long long>(level)}));
  }
};

TEST_F(HonorTest, ScoreOfHundredGrantsLevelsOneToThreeOnceWithTheLowBitsOfTheTime) {
  SetCounter("my_score", 100);
  EXPECT_EQ(CheckAll(db_, "CommonUser", kNow), 3);
  std::vector<EarnedHonor> rows = Earned(1);
  ASSERT_EQ(rows.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(rows[static_cast<size_t>(i)].level, i + 1);
    EXPECT_EQ(rows[static_cast<size_t>(i)].createTime, 1234);
  }
  EXPECT_EQ(CheckAll(db_, "CommonUser", kNow + 30), 0);
  EXPECT_EQ(Earned(1).size(), 3u);
  // Nothing else was met; another user's check sees none of it.
  EXPECT_EQ(AllEarnedHonors(db_, "CommonUser")->size(), 3u);
  EXPECT_EQ(CheckAll(db_, "Nobody", kNow), 0);
  EXPECT_TRUE(AllEarnedHonors(db_, "Nobody")->empty());
}

TEST_F(HonorTest, LevelsStayWhenTheCounterFalls) {
  SetCounter("login_days", 5);
  EXPECT_EQ(CheckAll(db_, "CommonUser", kNow), 2);
  SetCounter("login_days", 0);
  EXPECT_EQ(CheckAll(db_, "CommonUser", kNow), 0);
  EXPECT_EQ(Earned(2).size(), 2u);
}

TEST_F(HonorTest, DatabaseErrorsInACheckAreSilentAndAnUnreadableRowIsNotShown) {
  SetCounter("my_score", 1);
  ASSERT_TRUE(db_.Execute("drop table kz_honor"));
  EXPECT_EQ(CheckAll(db_, "CommonUser", kNow), 0);
  EXPECT_EQ(Grant(db_, "CommonUser", 1, 1, kNow), GrantResult::kFailed);
  for (const HonorSlot& slot : CHonorScore.Show(db_, "CommonUser")) EXPECT_FALSE(slot.visible);
}

TEST(HonorRules, LevelsMetByEachCategorysValue) {
  struct Case {
    const char* what;
    const CHonor& category;
    UserCounters counters;
    std::vector<int> levels;
  };
  auto with = [](auto set) {
    UserCounters c;
    set(c);
    return c;
  };
  const std::vector<Case> cases = {
      {"119 minutes are one hour", CHonorLoginTime, with([](UserCounters& c) { c.onlineTimeMin = 119; }), {1}},
      {"59 minutes are none", CHonorLoginTime, with([](UserCounters& c) { c.onlineTimeMin = 59; }), {}},
      {"wheel 3072: 128 turns, 100 m", CHonorWheel, with([](UserCounters& c) { c.wheelUp = 3000; c.wheelDown = 72; }), {1}},
      {"wheel 3071: 127 turns, 99 m", CHonorWheel, with([](UserCounters& c) { c.wheelUp = 3071; }), {}},
      {"clicks 10000000: six levels", CHonorClick,
       with([](UserCounters& c) { c.mouseLeft = 9999990; c.mouseRight = 5; c.mouseMiddle = 5; }), {1, 2, 3, 4, 5, 6}},
      {"clicks 9999: none", CHonorClick, with([](UserCounters& c) { c.mouseLeft = 9999; }), {}},
      {"score 999: all five", CHonorScore, with([](UserCounters& c) { c.myScore = 999; }), {1, 2, 3, 4, 5}},
      {"negative score: none", CHonorScore, with([](UserCounters& c) { c.myScore = -5; }), {}},
      {"streak 30", CHonorSign, with([](UserCounters& c) { c.loginDays = 30; }), {1, 2, 3}},
      {"ten shares", CHonorShare, with([](UserCounters& c) { c.shareCount = 10; }), {1, 2}},
      {"five invitations", CHonorInvite, with([](UserCounters& c) { c.inviteCount = 5; }), {1, 2, 3}},
      {"no local rule", CHonorZF, with([](UserCounters& c) { c.myScore = 1000000; c.mouseLeft = 1000000000; }), {}},
      {"no local rule either", CHonorGame, with([](UserCounters& c) { c.inviteCount = 99; }), {}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.category.MetLevels(c.counters), c.levels) << c.what;
  EXPECT_EQ(WheelDistance(3072, 0), 100);
  EXPECT_EQ(WheelDistance(3071, 0), 99);
  EXPECT_EQ(WheelDistance(0, 0), 0);
  // Four hundred million metres, not forty million.
  EXPECT_EQ(CHonorWheel.Thresholds().back(), 400000000);
}

TEST(HonorRules, CategoriesInTypeOrderWithTheirKeys) {
  const char* keys[] = {"score", "sign", "click", "wheel", "ltime", "share", "invite", "zhengfu", "game"};
  for (int type = 1; type <= kHonorTypeCount; ++type) {
    const CHonor* category = CategoryOf(type);
    ASSERT_NE(category, nullptr);
    EXPECT_EQ(category->Type(), type);
    EXPECT_EQ(category->Key(), keys[type - 1]);
    EXPECT_EQ(category->SlotCount(), 5);
  }
  EXPECT_EQ(CategoryOf(0), nullptr);
  EXPECT_EQ(CategoryOf(10), nullptr);
  EXPECT_EQ(CHonorClick.TitleOf(1), "百战天虫");
  EXPECT_EQ(CHonorClick.ConditionOf(1), "点击10000次");
  EXPECT_EQ(CHonorGame.TitleOf(1), "FPS");
  EXPECT_EQ(CHonorGame.ConditionOf(1), "");
  EXPECT_EQ(CHonorGame.TitleOf(3), "");
}

std::vector<EarnedHonor> Rows(int type, std::vector<int> levels) {
  std::vector<EarnedHonor> rows;
  for (int level : levels) rows.push_back({type, level, 0});
  return rows;
}

TEST(HonorSlotsShown, SixEarnedClickLevelsFillTheFiveSlotsWithNoNextGoal) {
  HonorSlots slots = CHonorClick.Show(Rows(3, {1, 2, 3, 4, 5, 6}));
  const char* titles[] = {"百战天虫", "千王之王", "奥林匹克选手", "就这暴脾气", "电动马达"};
  for (int k = 0; k < kHonorSlotCount; ++k) {
    const HonorSlot& slot = slots[static_cast<size_t>(k)];
    EXPECT_TRUE(slot.visible);
    EXPECT_EQ(slot.medal, Medal::kEarned);
    EXPECT_EQ(slot.title, titles[k]);
    EXPECT_EQ(slot.titleColour, (Rgb{201, 179, 100}));
    EXPECT_EQ(slot.conditionColour, (Rgb{24, 85, 114}));
  }
}

TEST(HonorSlotsShown, WithoutRowsOnlyTheFirstSlotShowsInGreyAsTheNextGoal) {
  HonorSlots slots = CHonorInvite.Show(std::vector<EarnedHonor>{});
  EXPECT_TRUE(slots[0].visible);
  EXPECT_EQ(slots[0].title, "小伙伴招募");
  EXPECT_EQ(slots[0].condition, "邀请1人");
  EXPECT_EQ(slots[0].medal, Medal::kNextGoal);
  EXPECT_EQ(slots[0].titleColour, (Rgb{192, 192, 192}));
  EXPECT_EQ(slots[0].conditionColour, (Rgb{192, 192, 192}));
  for (int k = 1; k < kHonorSlotCount; ++k) EXPECT_FALSE(slots[static_cast<size_t>(k)].visible);
}

TEST(HonorSlotsShown, SlotsFollowRowPositionsAndAFailedQueryShowsNothing) {
  // One downloaded row of level 3 marks the first slot, whose text is that of level 1.
  HonorSlots slots = CHonorScore.Show(Rows(1, {3}));
  EXPECT_TRUE(slots[0].visible);
  EXPECT_EQ(slots[0].medal, Medal::kEarned);
  EXPECT_EQ(slots[0].title, "抵达KZ星系");
  EXPECT_TRUE(slots[1].visible);
  EXPECT_EQ(slots[1].medal, Medal::kNextGoal);
  EXPECT_EQ(slots[1].title, "星际行者");
  EXPECT_FALSE(slots[2].visible);

  for (const HonorSlot& slot : CHonorScore.Show(std::nullopt)) EXPECT_FALSE(slot.visible);
  // Levels that only come by download show like any other.
  HonorSlots game = CHonorGame.Show(Rows(9, {1}));
  EXPECT_EQ(game[0].title, "FPS");
  EXPECT_EQ(game[0].medal, Medal::kEarned);
  EXPECT_EQ(game[1].title, "MMO");
  EXPECT_EQ(game[1].medal, Medal::kNextGoal);
  EXPECT_FALSE(game[2].visible);
}

TEST(HonorSlotsShown, EveryLevelEarnedLeavesNoEmptyNextGoal) {
  HonorSlots slots = CHonorShare.Show(Rows(6, {1, 2, 3}));
  for (int k = 0; k < 3; ++k) EXPECT_EQ(slots[static_cast<size_t>(k)].medal, Medal::kEarned);
  EXPECT_FALSE(slots[3].visible);
  EXPECT_FALSE(slots[4].visible);
}

}  // namespace
}  // namespace kz::honor
