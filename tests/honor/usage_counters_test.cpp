// The usage counters: what a status report adds, what the statistics page's numbers are, how the
// counters are loaded, stored and reset, and how they ride along the profile session's walks.
#include <gtest/gtest.h>

#include <limits>

#include "base/dispatcher.h"
#include "device/status_report.h"
#include "honor/usage_counters.h"
#include "settings/model_fixture.h"
#include "support/test_services.h"
#include "app/services.h"
#include "base/paths.h"

namespace kz::honor {
namespace {

device::StatusReport Report(int flags, int movement, int dpiUnits = 0x20, int active = 1) {
  unsigned char bytes[device::StatusReport::kLength] = {0x03, 0xF9, 0, static_cast<unsigned char>(active),
                                                        static_cast<unsigned char>(dpiUnits), 0x40, 0x80, 0xA4};
  bytes[16] = static_cast<unsigned char>(flags);
  bytes[23] = static_cast<unsigned char>(movement >> 8);
  bytes[24] = static_cast<unsigned char>(movement & 0xFF);
  return *device::StatusReport::Decode(bytes, sizeof bytes);
}

TEST(UsageCountersReport, EachSetFlagAddsTwentyFourAndMovementAddsCentimetres) {
  struct Case {
    int flags;
    CounterValues expected;
  };
  const Case cases[] = {
      {0x05, {24, 0, 24, 0, 0, 0}},
      {0x1F, {24, 24, 24, 24, 24, 0}},
      {0x02, {0, 24, 0, 0, 0, 0}},
      {0x08, {0, 0, 0, 24, 0, 0}},
      {0x10, {0, 0, 0, 0, 24, 0}},
      {0xE0, {0, 0, 0, 0, 0, 0}},  // the upper bits count nothing
  };
  for (const Case& c : cases) {
    UsageCounters counters;
    counters.ApplyStatusReport(Report(c.flags, 0), 800);
    EXPECT_EQ(counters.Values(), c.expected) << c.flags;
  }
  // Bytes 0x01 0x90 are 400 counts: half an inch at 800 DPI, 1.27 cm, truncated to 1.
  EXPECT_EQ(DistanceOfCounts(0x0190, 800), 1);
  EXPECT_EQ(DistanceOfCounts(0xFFFF, 200), 832);
  EXPECT_EQ(DistanceOfCounts(0xFFFF, 0), 0);
  EXPECT_EQ(DistanceOfCounts(100, 800), 0);
  UsageCounters counters;
  counters.ApplyStatusReport(Report(0, 0x0190), 800);
  counters.ApplyStatusReport(Report(0, 0x0190), 0);
  EXPECT_EQ(counters.Values().distance, 1);
}

TEST(UsageCountersReport, ACounterAtItsTopStaysThereInsteadOfTurningNegative) {
  UsageCounters counters;
  CounterValues values;
  values.left = std::numeric_limits<std::int32_t>::max() - 10;
  values.distance = std::numeric_limits<std::int32_t>::max();
  counters.SetValues(values);
  counters.ApplyStatusReport(Report(0x01, 0xFFFF), 200);
  EXPECT_EQ(counters.Values().left, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(counters.Values().distance, std::numeric_limits<std::int32_t>::max());
}

TEST(UsageCountersFigures, TheEightNumbersUseIntegerDivisions) {
  EXPECT_EQ(FiguresOf(1, 2, 3, 47, 1, 199), (CounterFigures{1, 2, 3, 6, 1, 0, 2, 1}));
  EXPECT_EQ(FiguresOf(0, 0, 0, 23, 0, 99), (CounterFigures{0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(UsageCountersMessages, HookMessagesAddOne) {
  UsageCounters counters;
  counters.AddMouseMessage(0x201, 0);
  counters.AddMouseMessage(0x204, 0);
  counters.AddMouseMessage(0x207, 0);
  counters.AddMouseMessage(0x20A, 120);
  counters.AddMouseMessage(0x20A, -120);
  counters.AddMouseMessage(0x20A, 0);
  counters.AddMouseMessage(0x200, 0);
  EXPECT_EQ(counters.Values(), (CounterValues{1, 1, 1, 1, 2, 0}));
}

class UsageCountersStore : public kztest::ModelFixture {
 protected:
  void SetUp() override {
    ModelFixture::SetUp();
    ASSERT_TRUE(db_.Execute("insert into kz_user(user_name, user_pwd, mouse_left, mouse_right, mouse_middle, wheel_up, "
                            "wheel_down, move_distance) values('CommonUser', '*', 1, 2, 3, 4, 5, 6)"));
  }
  std::vector<long long> Row() {
    store::Recordset rs(db_);
    EXPECT_TRUE(rs.Open("select mouse_left, mouse_right, mouse_middle, wheel_up, wheel_down, move_distance, my_score "
                        "from kz_user where user_name='CommonUser'"));
    std::vector<long long> row(7);
    for (int i = 0; i < 7; ++i) rs.GetFieldValue(i, row[static_cast<size_t>(i)]);
    return row;
  }
};

TEST_F(UsageCountersStore, LoadSaveAndResetKeepToTheirColumns) {
  UsageCounters counters;
  counters.LoadFromStore(db_, "CommonUser");
  EXPECT_EQ(counters.Values(), (CounterValues{1, 2, 3, 4, 5, 6}));
  EXPECT_FALSE(counters.Changed());
  counters.ApplyStatusReport(Report(0x19, 0x0190), 800);
  EXPECT_TRUE(counters.Changed());
  ASSERT_TRUE(db_.Execute("update kz_user set my_score=9"));
  ASSERT_TRUE(counters.SaveToStore(db_, "CommonUser"));
  // Stored only once the caller's transaction says so.
  EXPECT_TRUE(counters.Changed());
  counters.Stored();
  EXPECT_FALSE(counters.Changed());
  EXPECT_EQ(Row(), (std::vector<long long>{25, 2, 3, 28, 29, 7, 9}));

  counters.ResetToDefaults();
  EXPECT_EQ(counters.Values(), (CounterValues{0, 0, 0, 0, 0, 7}));
  EXPECT_TRUE(counters.Changed());

  // A user without a row: loading leaves the counters, saving writes nothing.
  counters.LoadFromStore(db_, "Nobody");
  EXPECT_EQ(counters.Values(), (CounterValues{0, 0, 0, 0, 0, 7}));
  EXPECT_TRUE(counters.SaveToStore(db_, "Nobody"));
  EXPECT_EQ(Row(), (std::vector<long long>{25, 2, 3, 28, 29, 7, 9}));
}

TEST_F(UsageCountersStore, StoredValuesOutsideThirtyTwoBitsAreBroughtIntoRange) {
  ASSERT_TRUE(db_.Execute("update kz_user set mouse_left=99999999999, move_distance=-99999999999"));
  UsageCounters counters;
  counters.LoadFromStore(db_, "CommonUser");
  EXPECT_EQ(counters.Values().left, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(counters.Values().distance, std::numeric_limits<std::int32_t>::min());
}

// The counters as the window's services hold them: in slot 5 of the profile session.
class CountersInSession : public ::testing::Test {
 protected:
  void SetUp() override {
    kz::paths::MakeDirs(xdg_.dataDir());
    kztest::TestServiceOptions options;
    options.dataDir = xdg_.dataDir();
    options.dispatcher = &dispatcher_;
    options.writer = std::make_unique<device::DirectWriter>(link_.Link());
    services_ = kztest::MakeTestServices(std::move(options));
    ASSERT_EQ(app::OpenStoreAndUser(*services_, 1000), app::StoreResult::kOk);
    ASSERT_EQ(services_->Profiles().SlotModelAt(app::Services::kCounterSlot), &services_->Counters());
  }
  long long Column(const std::string& name) {
    store::Recordset rs(services_->db);
    EXPECT_TRUE(rs.Open("select " + name + " from kz_user where user_name='CommonUser'"));
    long long value = -1;
    rs.GetFieldValue(0, value);
    return value;
  }

  kztest::ScopedXdg xdg_;
  QueueDispatcher dispatcher_;
  kztest::RecordingLink link_;
  std::unique_ptr<app::Services> services_;
};

TEST_F(CountersInSession, AReportIsCountedAtTheActiveDpiOfTheReportAndStoredBySaveAll) {
  profile::ProfileSession& session = services_->Profiles();
  // Level 1 active at 16 * 50 = 800 DPI: 1200 counts are 1.5 inches, 3.81 cm, 3 counted.
  ASSERT_TRUE(session.ApplyStatusReport(Report(0x05, 0x0190 * 3, 0x10, 1)));
  EXPECT_EQ(services_->Counters().Values(), (CounterValues{24, 0, 24, 0, 0, 3}));
  EXPECT_EQ(Column("mouse_left"), 24);
  EXPECT_EQ(Column("mouse_middle"), 24);
  EXPECT_EQ(Column("move_distance"), 3);
  EXPECT_FALSE(services_->Counters().Changed());

  // Loaded back with the pages (start-up, profile change).
  services_->Counters().SetValues({});
  session.LoadAll();
  EXPECT_EQ(services_->Counters().Values(), (CounterValues{24, 0, 24, 0, 0, 3}));

  // The factory reset zeroes the clicks and wheel, keeps the distance, and stores that.
  EXPECT_TRUE(session.FactoryReset({}));
  EXPECT_EQ(services_->Counters().Values(), (CounterValues{0, 0, 0, 0, 0, 3}));
  EXPECT_EQ(Column("mouse_left"), 0);
  EXPECT_EQ(Column("move_distance"), 3);
}

TEST_F(CountersInSession, AFailedTransactionLeavesTheCountersUnstored) {
  profile::ProfileSession& session = services_->Profiles();
  services_->Counters().AddMouseMessage(0x201, 0);
  // The profile row cannot be written: the whole save fails, the counters with it.
  ASSERT_TRUE(services_->db.Execute("create trigger refuse before insert on main2 begin select raise(abort, 'no'); end"));
  EXPECT_FALSE(session.SaveAll());
  EXPECT_TRUE(services_->Counters().Changed());
  EXPECT_EQ(Column("mouse_left"), 0);
  ASSERT_TRUE(services_->db.Execute("drop trigger refuse"));
  EXPECT_TRUE(session.Save({app::Services::kCounterSlot}));
  EXPECT_FALSE(services_->Counters().Changed());
  EXPECT_EQ(Column("mouse_left"), 1);
}

}  // namespace
}  // namespace kz::honor
