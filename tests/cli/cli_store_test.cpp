// kzmousectl's profile command over a store that is damaged, empty or holds names that are not
// UTF-8: it reports what it could not do and never passes factory values off as stored ones.
#include <gtest/gtest.h>

#include <cstdio>
#include <iconv.h>
#include <sys/wait.h>

#include "base/paths.h"
#include "store/database.h"
#include "support/test_support.h"

namespace {

using Result = kztest::ToolRun;

Result RunCtl(const std::vector<std::string>& args) { return kztest::RunTool("kzmousectl", args); }

// Checked by the C library's converter, not by the code under test.
bool IsUtf8(const std::string& text) {
  iconv_t check = ::iconv_open("UTF-8", "UTF-8");
  if (check == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in = text;
  std::string out(text.size() * 2 + 16, '\0');
  char* from = in.data();
  char* to = out.data();
  size_t fromLeft = in.size(), toLeft = out.size();
  const bool ok = ::iconv(check, &from, &fromLeft, &to, &toLeft) != static_cast<size_t>(-1) && fromLeft == 0;
  ::iconv_close(check);
  return ok;
}

class CliStore : public ::testing::Test {
 protected:
  std::string DatabasePath() const { return xdg_.dataDir() + "kzdb.mdb"; }
  void Sql(const std::string& sql, const std::vector<kz::store::Value>& params = {}) {
    kz::store::Database db;
    ASSERT_TRUE(db.Open(DatabasePath())) << db.GetLastErrorString();
    ASSERT_TRUE(db.Execute(sql, params)) << sql << ": " << db.GetLastErrorString();
  }
  long long Number(const std::string& sql) {
    kz::store::Database db;
    if (!db.Open(DatabasePath())) return -1;
    kz::store::Recordset rs(db);
    if (!rs.Open(sql)) return -1;
    long long n = -1;
    rs.GetFieldValue(0, n);
    return n;
  }
  std::string Trace() const { return kztest::ReadAll(xdg_.root() / "trace.txt"); }

  kztest::ScopedXdg xdg_;
  kztest::ScopedEnv trace_{"KZMOUSE_SIM_TRACE", (xdg_.root() / "trace.txt").c_str()};
  kztest::ScopedEnv state_{"KZMOUSE_SIM_STATE", (xdg_.root() / "sim.state").c_str()};
  kztest::ScopedEnv device_{"KZMOUSE_DEVICE", nullptr};
};

struct Damage {
  const char* name;
  const char* sql;
  const char* reason;
};
void PrintTo(const Damage& damage, std::ostream* os) { *os << damage.name; }

class DamagedProfile : public CliStore, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedProfile, EveryActionFailsWithTheReasonAndNeitherStoresNorSends) {
  Result set = RunCtl({"profile", "set", "2", "--dpi", "400,800,1600,3200"});
  ASSERT_EQ(set.code, 0) << set.output;
  Sql(GetParam().sql);
  const std::vector<std::vector<std::string>> actions = {
      {"show", "2"}, {"show", "2", "--json"}, {"set", "2", "--rate", "3", "--write"}, {"write", "2"}, {"reset", "2", "--write"}};
  for (const auto& action : actions) {
    std::vector<std::string> args{"--simulate", "profile"};
    args.insert(args.end(), action.begin(), action.end());
    SCOPED_TRACE(action[0] + " " + (action.size() > 2 ? action[2] : ""));
    Result result = RunCtl(args);
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.output, std::string("kzmousectl: cannot load profile 2: ") + GetParam().reason + "\n");
    EXPECT_EQ(Trace(), "") << "nothing goes to the mouse for a profile that could not be read";
  }
  if (Number("select count(*) from sqlite_master where name='main2'") == 1) {
    EXPECT_EQ(Number("select dpi_1 from main2 where profile_id=2"), 400) << "the row was written over";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Main2, DamagedProfile,
    ::testing::Values(Damage{"Dropped", "drop table main2", "no such table: main2"},
                      Damage{"NoDpiColumn", "alter table main2 drop column dpi_2", "main2 has no column dpi_2"},
                      Damage{"NoButtonColumn", "alter table main2 drop column btn7_extra", "main2 has no column btn7_extra"}),
    [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST_F(CliStore, AnEmptyGlobalTableIsNamedAsTheReason) {
  ASSERT_EQ(RunCtl({"profile", "show", "1"}).code, 0);
  Sql("delete from kz_global");
  Result show = RunCtl({"profile", "show", "1"});
  EXPECT_EQ(show.code, 1);
  EXPECT_EQ(show.output, "kzmousectl: cannot load the current user: no kz_global row\n");
}

TEST_F(CliStore, ARejectedSetOnAFreshInstallMakesNoDatabase) {
  const std::vector<std::vector<std::string>> rejected = {
      {"--dpi", "400,off,9000,off"},
      {"--dpi", "off,3200,6400,8200"},  // the factory active level 1 would be off
      {"--light1", "rgb=12345G"},
      {},
  };
  for (const auto& options : rejected) {
    std::vector<std::string> args{"profile", "set", "2"};
    args.insert(args.end(), options.begin(), options.end());
    Result result = RunCtl(args);
    EXPECT_EQ(result.code, 2) << result.output;
    EXPECT_FALSE(kz::paths::FileExists(DatabasePath())) << result.output;
  }
  // Once stored profiles exist, the active level is the stored one, not the factory one.
  ASSERT_EQ(RunCtl({"profile", "set", "2", "--active", "3"}).code, 0);
  Result set = RunCtl({"profile", "set", "2", "--dpi", "off,3200,6400,8200"});
  EXPECT_EQ(set.code, 0) << set.output;
}

TEST_F(CliStore, JsonStaysValidForNamesThatAreNotUtf8) {
  const std::string fffd = "\xEF\xBF\xBD";
  const struct {
    std::string stored, shown;
  } cases[] = {
      {"李四 \xF0\x9F\x98\x80", "李四 \xF0\x9F\x98\x80"},     // well-formed text stays as it is
      {"A\xFF" "B", "A" + fffd + "B"},                       // a byte that starts nothing
      {"x\xC3\xC3\xA9", "x" + fffd + "\xC3\xA9"},            // a lead byte without its continuation
      {"\xC0\xAF!", fffd + fffd + "!"},                      // an overlong form
      {"\xED\xA0\x80", fffd + fffd + fffd},                  // a surrogate
      {"end\xE6\x9D", "end" + fffd + fffd},                  // cut off at the end
  };
  ASSERT_EQ(RunCtl({"profile", "set", "1", "--rate", "2"}).code, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    Sql("update kz_global set last_user=?", {c.stored});
    Result show = RunCtl({"profile", "show", "1", "--json"});
    ASSERT_EQ(show.code, 0) << show.output;
    EXPECT_TRUE(IsUtf8(show.output));
    EXPECT_NE(show.output.find("\"user\" : \"" + c.shown + "\""), std::string::npos) << show.output;
  }
  // A stored macro reference with stray bytes comes out as valid text too.
  Sql("update kz_global set last_user='CommonUser'");
  Sql("update main2 set btn1_marco_id=? where user_name='CommonUser'", {std::string("{m\xFF}")});
  Result show = RunCtl({"profile", "show", "1", "--json"});
  ASSERT_EQ(show.code, 0) << show.output;
  EXPECT_TRUE(IsUtf8(show.output));
  EXPECT_NE(show.output.find("\"macro\" : \"{m" + fffd + "}\""), std::string::npos) << show.output;
}

}  // namespace
