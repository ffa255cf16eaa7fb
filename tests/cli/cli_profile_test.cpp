// kzmousectl's profile command as a whole program, on temporary XDG folders and the simulated mouse.
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

#include "base/paths.h"
#include "store/database.h"
#include "support/test_support.h"

namespace {

using Result = kztest::ToolRun;

Result RunCtl(const std::vector<std::string>& args) { return kztest::RunTool("kzmousectl", args); }

class CliProfile : public ::testing::Test {
 protected:
  std::string DatabasePath() const { return xdg_.dataDir() + "kzdb.mdb"; }
  long long Main2Rows() {
    kz::store::Database db;
    if (!db.Open(DatabasePath())) return -1;
    kz::store::Recordset rs(db);
    return rs.Open("select * from main2") ? rs.GetRecordCount() : -1;
  }

  kztest::ScopedXdg xdg_;
  kztest::ScopedEnv trace_{"KZMOUSE_SIM_TRACE", (xdg_.root() / "trace.txt").c_str()};
  kztest::ScopedEnv state_{"KZMOUSE_SIM_STATE", nullptr};
  kztest::ScopedEnv device_{"KZMOUSE_DEVICE", nullptr};
};

TEST_F(CliProfile, SetAndWriteDpiLevels) {
  Result set = RunCtl({"--simulate", "profile", "set", "2", "--dpi", "400,off,1650,off", "--active", "3"});
  ASSERT_EQ(set.code, 0) << set.output;
  EXPECT_EQ(set.output, "stored profile 2 of CommonUser\n");
  Result write = RunCtl({"--simulate", "profile", "write", "2"});
  ASSERT_EQ(write.code, 0) << write.output;
  EXPECT_EQ(kztest::ReadLines(xdg_.root() / "trace.txt"),
            (std::vector<std::string>{"03 10 02 02 08 00 21 00", "03 12 00 00 10 01 01 00 00 00 00",
                                      "03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9", "03 09 11 00 FF 91 00 FF 91 00 00"}));

  kz::store::Database db;
  ASSERT_TRUE(db.Open(DatabasePath()));
  kz::store::Recordset rs(db);
  ASSERT_TRUE(rs.Open("select * from main2 where profile_id=2 and user_name='CommonUser'"));
  ASSERT_EQ(rs.GetRecordCount(), 1);
  long long active = -1, level2 = -1, level3 = -1;
  rs.GetFieldValue("dpi_active", active);
  rs.GetFieldValue("dpi_2c", level2);
  rs.GetFieldValue("dpi_3", level3);
  EXPECT_EQ(active, 2);
  EXPECT_EQ(level2, 0);
  EXPECT_EQ(level3, 1650);
}

TEST_F(CliProfile, BadValuesNameTheRangeAndStoreNothing) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"set", "2", "--dpi", "400,off,9000,off"}, "DPI level 3 must be off or 200 to 8200"},
      {{"set", "2", "--dpi", "400,off,1650"}, "--dpi takes four levels"},
      {{"set", "2", "--dpi", "off,3200,6400,8200"}, "DPI level 1 is the active level and cannot be off"},
      {{"set", "2", "--active", "5"}, "--active must be a DPI level 1 to 4"},
      {{"set", "2", "--rate", "0"}, "--rate must be a report rate choice 1 to 4"},
      {{"set", "2", "--sense", "11"}, "--sense must be 0 to 10"},
      {{"set", "2", "--scroll", "lines"}, "--scroll must be page or 0 to 10"},
      {{"set", "2", "--light1", "preset=16"}, "--light1: preset must be 0 to 15"},
      {{"set", "2", "--light2", "rgb=12345G"}, "--light2: rgb must be six hex digits RRGGBB"},
      {{"set", "2", "--light-speed", "-1"}, "--light-speed must be 0 to 10"},
      {{"set", "2", "--rate", "2", "--sense"}, "option --sense needs a value"},
      {{"set", "2", "--bogus", "1"}, "unknown option \"--bogus\""},
      {{"set", "2"}, "nothing to set"},
      {{"set", "6", "--rate", "1"}, "the profile number must be 1 to 5"},
      {{"show", "x"}, "the profile number must be 1 to 5"},
      {{"erase", "1"}, "unknown profile action"},
      {{"write", "1", "--now"}, "unexpected argument \"--now\""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"--simulate", "profile"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Result result = RunCtl(args);
    EXPECT_EQ(result.code, 2) << c.message;
    EXPECT_NE(result.output.find(c.message), std::string::npos) << result.output;
    EXPECT_LE(Main2Rows(), 0) << c.message;  // no database yet, or no row
  }
  EXPECT_FALSE(kz::paths::FileExists(xdg_.root() / "trace.txt"));
}

TEST_F(CliProfile, ShowSetLightsAndReset) {
  Result show = RunCtl({"profile", "show", "3"});
  ASSERT_EQ(show.code, 0) << show.output;
  EXPECT_NE(show.output.find("profile             3 (not stored yet: factory values)\n"), std::string::npos);
  EXPECT_EQ(Main2Rows(), 0);  // showing stores nothing

  Result set = RunCtl({"--simulate", "profile", "set", "3", "--rate", "2", "--sense", "0", "--sens-x", "10", "--switch",
                    "on", "--light1", "off,steady", "--light2", "preset=7,steady", "--light-speed", "3", "--write"});
  ASSERT_EQ(set.code, 0) << set.output;
  EXPECT_EQ(kztest::ReadLines(xdg_.root() / "trace.txt"),
            (std::vector<std::string>{"03 10 04 01 20 40 80 A4", "03 12 00 03 10 01 01 85 05 00 01",
                                      "03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9", "03 09 00 00 00 00 FF 00 00 03 03"}));
  show = RunCtl({"profile", "show", "3"});
  EXPECT_NE(show.output.find("light 2             on, steady, preset 7 (FF0000)\n"), std::string::npos) << show.output;
  EXPECT_NE(show.output.find("sensitivity switch  on\n"), std::string::npos);

  Result reset = RunCtl({"profile", "reset", "3"});
  ASSERT_EQ(reset.code, 0) << reset.output;
  show = RunCtl({"profile", "show", "3"});
  EXPECT_NE(show.output.find("  03 12 00 00 10 01 01 00 00 00 00\n  03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9 \n"
                             "  03 09 11 00 FF 91 00 FF 91 00 00\n"),
            std::string::npos)
      << show.output;
  EXPECT_EQ(Main2Rows(), 1);
}

}  // namespace
