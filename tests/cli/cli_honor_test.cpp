// kzmousectl stats (the counters and honors of the current user) and kzmousectl sim (commands to
// the control FIFO of a running program's simulated mouse).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "store/database.h"
#include "support/test_support.h"

namespace {

class CliHonor : public ::testing::Test {
 protected:
  kztest::ToolRun Run(const std::vector<std::string>& args) {
    return kztest::RunTool("kzmousectl", args, xdg_.root() / "err.txt");
  }
  std::string Err() const { return kztest::ReadAll(xdg_.root() / "err.txt"); }
  void Sql(const std::string& sql) {
    kz::store::Database db;
    ASSERT_TRUE(db.Open(xdg_.dataDir() + "kzdb.mdb")) << db.GetLastErrorString();
    ASSERT_TRUE(db.Execute(sql)) << sql << ": " << db.GetLastErrorString();
  }

  kztest::ScopedXdg xdg_;
  kztest::ScopedEnv control_{"KZMOUSE_SIM_CONTROL", nullptr};
};

TEST_F(CliHonor, StatsShowsTheStoredCountersThePagesFiguresAndTheHonors) {
  // Without a database nothing was counted, and looking makes none.
  kztest::ToolRun empty = Run({"stats"});
  EXPECT_EQ(empty.code, 0);
  EXPECT_FALSE(kztest::ReadAll(xdg_.dataDir() + "kzdb.mdb").size());
  EXPECT_NE(empty.output.find("clicks             0\n"), std::string::npos);
  EXPECT_NE(empty.output.find("honors none\n"), std::string::npos);

  ASSERT_EQ(Run({"profile", "show", "1"}).code, 0);  // makes the database and the user's row
  Sql("update kz_user set mouse_left=10000, mouse_right=20, mouse_middle=4, wheel_up=47, wheel_down=1, "
      "move_distance=199, online_time_min=119, login_days=2, signin_count=3, my_score=5, my_level=1, "
      "share_count=0, invite_count=1, login_time=1700000000 where user_name='CommonUser'");
  Sql("insert into kz_honor(user_name,honor_type,honor_level,create_time) values('CommonUser',3,1,1700000100)");
  Sql("insert into kz_honor(user_name,honor_type,honor_level,create_time) values('CommonUser',9,1,1700000200)");
  Sql("insert into kz_honor(user_name,honor_type,honor_level,create_time) values('Other',1,1,5)");

  kztest::ToolRun json = Run({"stats", "--json"});
  EXPECT_EQ(json.code, 0) << Err();
  EXPECT_EQ(json.output, R"({
  "clicks_total" : 10024,
  "distance_m" : 1,
  "honors" : 
  [
    {
      "condition" : "点击10000次",
      "create_time" : 1700000100,
      "level" : 1,
      "title" : "百战天虫",
      "type" : 3
    },
    {
      "condition" : "",
      "create_time" : 1700000200,
      "level" : 1,
      "title" : "FPS",
      "type" : 9
    }
  ],
  "invite_count" : 1,
  "login_days" : 2,
  "login_time" : 1700000000,
  "mouse_left" : 10000,
  "mouse_middle" : 4,
  "mouse_right" : 20,
  "move_distance" : 199,
  "my_level" : 1,
  "my_score" : 5,
  "online_time_min" : 119,
  "share_count" : 0,
  "signin_count" : 3,
  "user" : "CommonUser",
  "wheel_down" : 1,
  "wheel_turns_down" : 0,
  "wheel_turns_total" : 2,
  "wheel_turns_up" : 1,
  "wheel_up" : 47
}
)");

  kztest::ToolRun text = Run({"stats"});
  EXPECT_EQ(text.code, 0);
  EXPECT_NE(text.output.find("clicks             10024\n"), std::string::npos) << text.output;
  EXPECT_NE(text.output.find("  3.1 百战天虫 (点击10000次)  2023-11-14 22:15:00 UTC\n"), std::string::npos) << text.output;
  EXPECT_EQ(Run({"stats", "--yaml"}).code, 2);
}

TEST_F(CliHonor, SimWritesToTheControlFifoAndSaysWhyWhenItCannot) {
  EXPECT_EQ(Run({"sim", "click", "left", "3"}).code, 1);
  EXPECT_EQ(Err(), "kzmousectl: KZMOUSE_SIM_CONTROL is not set: it names the control FIFO of a running kzMouse "
                   "--simulate\n");
  const std::string fifo = xdg_.root() / "control";
  kztest::ScopedEnv control("KZMOUSE_SIM_CONTROL", fifo.c_str());
  EXPECT_EQ(Run({"sim", "click", "sideways"}).code, 2);
  EXPECT_EQ(Err(), "kzmousectl: click takes left, right or middle (see sim --help)\n");

  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(Run({"sim", "click", "left", "3"}).code, 1);
  EXPECT_EQ(Err(), "kzmousectl: nobody reads the control FIFO " + fifo +
                       " (is kzMouse --simulate running with KZMOUSE_SIM_CONTROL=" + fifo + "?)\n");

  int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  kztest::ToolRun sent = Run({"sim", "scroll", "up", "2"});
  EXPECT_EQ(sent.code, 0) << Err();
  EXPECT_EQ(sent.output, "sent \"scroll up 2\"\n");
  char buffer[64] = {};
  EXPECT_EQ(::read(reader, buffer, sizeof buffer), 12);
  EXPECT_STREQ(buffer, "scroll up 2\n");
  ::close(reader);
}

}  // namespace
