// Macro sets and macros of one user under the name rules, as the manager and the button menu use
// them.
#include <gtest/gtest.h>

#include "macro/macro_sets.h"
#include "settings/model_fixture.h"

namespace kz::macro {
namespace {

class MacroSetsTest : public kztest::ModelFixture {
 protected:
  long long Number(const std::string& sql, const std::vector<store::Value>& params = {}) {
    store::Recordset rs(db_);
    EXPECT_TRUE(rs.Open(sql, params));
    long long n = -1;
    rs.GetFieldValue(0, n);
    return n;
  }
  static std::vector<std::string> Names(const std::vector<MacroRow>& rows) {
    std::vector<std::string> names;
    for (const MacroRow& row : rows) names.push_back(row.name);
    return names;
  }
  MacroSets sets_{db_, "CommonUser"};
};

TEST_F(MacroSetsTest, SetNamesAreTrimmedUniquePerUserAndFitTheColumn) {
  EXPECT_EQ(sets_.CreateSet("  游戏  "), NameResult::kAdded);
  EXPECT_GT(sets_.CurrentSetId(), 0);
  EXPECT_EQ(sets_.CurrentSetName(), "游戏");
  EXPECT_EQ(sets_.CurrentSetGuid().size(), 38u);
  EXPECT_TRUE(sets_.Macros().empty());

  struct Case {
    std::string name;
    NameResult expected;
  };
  std::string longest;
  for (int i = 0; i < kMaxNameCharacters; ++i) longest += "键";
  const Case cases[] = {{"游戏", NameResult::kExists},     {" 游戏\t", NameResult::kExists},
                        {"   ", NameResult::kEmpty},       {"", NameResult::kEmpty},
                        {longest, NameResult::kAdded},     {longest + "x", NameResult::kTooLong},
                        {"O'Brien's", NameResult::kAdded}};
  for (const Case& c : cases) EXPECT_EQ(sets_.CreateSet(c.name), c.expected) << c.name;
  EXPECT_EQ(Number("select count(*) from macro_set2"), 3);

  MacroSets other(db_, "someone else");
  EXPECT_EQ(other.CreateSet("游戏"), NameResult::kAdded) << "another user may use the name";
  EXPECT_EQ(other.UserSets().size(), 1u) << "a user's menu lists the user's sets only";
  EXPECT_EQ(sets_.UserSets().size(), 3u);
}

TEST_F(MacroSetsTest, MacrosNeedASetAndAreUniquePerUserAcrossSets) {
  EXPECT_EQ(sets_.CreateMacro("copy"), NameResult::kNoSet);
  ASSERT_EQ(sets_.CreateSet("one"), NameResult::kAdded);
  long long id = 0;
  ASSERT_EQ(sets_.CreateMacro(" zeta ", &id), NameResult::kAdded);
  EXPECT_EQ(Number("select macro_repeat from macro_set_detail2 where ID=?", {id}), 1);
  EXPECT_EQ(Number("select repeat_sel from macro_set_detail2 where ID=?", {id}), 0);
  EXPECT_EQ(Number("select count(*) from macro_set_detail2 where ID=? and macro_value is null", {id}), 1);
  ASSERT_EQ(sets_.CreateMacro("alpha"), NameResult::kAdded);
  EXPECT_EQ(Names(sets_.Macros()), (std::vector<std::string>{"alpha", "zeta"})) << "the manager sorts by name";
  EXPECT_EQ(Names(sets_.MacrosOfSet(sets_.CurrentSetGuid())), (std::vector<std::string>{"zeta", "alpha"}))
      << "the menu keeps table order";

  ASSERT_EQ(sets_.CreateSet("two"), NameResult::kAdded);
  EXPECT_EQ(sets_.CreateMacro("zeta"), NameResult::kExists) << "names count across the user's sets";
  MacroSets other(db_, "someone else");
  ASSERT_EQ(other.CreateSet("x"), NameResult::kAdded);
  EXPECT_EQ(other.CreateMacro("zeta"), NameResult::kAdded);
}

TEST_F(MacroSetsTest, DeletingASetKeepsItsMacrosAndLeavesNoSetPicked) {
  ASSERT_EQ(sets_.CreateSet("one"), NameResult::kAdded);
  long long id = 0;
  ASSERT_EQ(sets_.CreateMacro("m1", &id), NameResult::kAdded);
  ASSERT_EQ(sets_.CreateMacro("m2"), NameResult::kAdded);
  const long long setId = sets_.CurrentSetId();
  ASSERT_TRUE(sets_.DeleteMacro(id));
  EXPECT_EQ(Names(sets_.Macros()), std::vector<std::string>{"m2"});

  ASSERT_TRUE(sets_.DeleteCurrentSet());
  EXPECT_EQ(sets_.CurrentSetId(), 0);
  EXPECT_EQ(sets_.CurrentSetName(), "");
  EXPECT_TRUE(sets_.Macros().empty());
  EXPECT_EQ(Number("select count(*) from macro_set_detail2"), 1) << "the macro stays for the buttons using it";
  EXPECT_EQ(sets_.CreateMacro("m3"), NameResult::kNoSet);
  EXPECT_TRUE(sets_.FindMacro("m2").has_value()) << "its name still counts";
  EXPECT_FALSE(sets_.DeleteCurrentSet());

  sets_.SelectSet(setId);  // gone: nothing picked
  EXPECT_EQ(sets_.CurrentSetId(), 0);
}

TEST(MacroNames, CharactersAreCountedNotBytes) {
  EXPECT_EQ(CharacterCount(""), 0);
  EXPECT_EQ(CharacterCount("abc"), 3);
  EXPECT_EQ(CharacterCount("宏定义"), 3);
  EXPECT_EQ(CharacterCount("a\xE5\xAE"), 2) << "a cut character counts once";
  EXPECT_EQ(CharacterCount("\xFF\xFE"), 2);
  EXPECT_EQ(TrimName("\t a b \r\n"), "a b");
}

}  // namespace
}  // namespace kz::macro
