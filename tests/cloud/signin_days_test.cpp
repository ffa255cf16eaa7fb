// The sign-in bookkeeping's calendar-day rules, with a fake calendar and with the real one in a
// time zone the test sets.
#include <gtest/gtest.h>

#include <ctime>
#include <map>

#include "account_fixture.h"
#include "cloud/signin_days.h"

namespace {

using kz::cloud::CalendarDate;
using kz::cloud::SigninValues;

// Times are day numbers here: the fake calendar maps each to the date the case gives.
struct FakeCalendar {
  std::map<long long, CalendarDate> dates;
  kz::cloud::LocalDateOf Fn() const {
    return [this](long long t) -> std::optional<CalendarDate> {
      auto it = dates.find(t);
      if (it == dates.end()) return std::nullopt;
      return it->second;
    };
  }
};

TEST(SigninDaysTest, ConsecutiveSkippedAndSameDays) {
  struct Case {
    const char* what;
    CalendarDate before, after;
    long long score, days, count;  // after the login, from score 5, days 3, count 5
  } cases[] = {
      {"next day", {2026, 3, 9}, {2026, 3, 10}, 6, 4, 6},
      {"month end", {2026, 1, 31}, {2026, 2, 1}, 6, 4, 6},
      {"short month end", {2026, 4, 30}, {2026, 5, 1}, 6, 4, 6},
      {"year end", {2025, 12, 31}, {2026, 1, 1}, 6, 4, 6},
      {"leap day", {2024, 2, 28}, {2024, 2, 29}, 6, 4, 6},
      {"after a leap day", {2024, 2, 29}, {2024, 3, 1}, 6, 4, 6},
      {"no leap day", {2023, 2, 28}, {2023, 3, 1}, 6, 4, 6},
      {"skipped a day", {2026, 3, 9}, {2026, 3, 11}, 5, 0, 5},
      {"same day of another month", {2026, 2, 10}, {2026, 3, 10}, 5, 0, 5},
      {"a day back", {2026, 3, 10}, {2026, 3, 9}, 5, 0, 5},
      {"same day", {2026, 3, 10}, {2026, 3, 10}, 5, 3, 5},
  };
  for (const Case& c : cases) {
    FakeCalendar calendar;
    calendar.dates = {{100, c.before}, {200, c.after}};
    const SigninValues stored{5, 2, 100, 3, 5};
    const SigninValues next = kz::cloud::NextSignin(stored, 200, calendar.Fn());
    EXPECT_EQ(next.myScore, c.score) << c.what;
    EXPECT_EQ(next.loginDays, c.days) << c.what;
    EXPECT_EQ(next.signinCount, c.count) << c.what;
    EXPECT_EQ(next.myLevel, 2) << c.what;  // the level is the service's affair after the first login
    EXPECT_EQ(next.loginTime, 200) << c.what;
  }
}

TEST(SigninDaysTest, FirstLoginAndTimesWithoutADate) {
  FakeCalendar calendar;
  calendar.dates = {{100, {2026, 3, 9}}};
  const SigninValues first = kz::cloud::NextSignin({0, 0, 0, 0, 0}, 100, calendar.Fn());
  EXPECT_EQ(first.myScore, 1);
  EXPECT_EQ(first.myLevel, 1);
  EXPECT_EQ(first.loginDays, 1);
  EXPECT_EQ(first.signinCount, 1);
  EXPECT_EQ(first.loginTime, 100);

  const SigninValues stored{5, 2, 300, 3, 5};
  // Neither time has a date: only the login time changes.
  SigninValues next = kz::cloud::NextSignin(stored, 400, calendar.Fn());
  EXPECT_EQ(next.loginDays, 3);
  EXPECT_EQ(next.myScore, 5);
  EXPECT_EQ(next.loginTime, 400);
  // Only one has: the run ends.
  next = kz::cloud::NextSignin(stored, 100, calendar.Fn());
  EXPECT_EQ(next.loginDays, 0);
  EXPECT_EQ(next.myScore, 5);
  next = kz::cloud::NextSignin({5, 2, 100, 3, 5}, 400, calendar.Fn());
  EXPECT_EQ(next.loginDays, 0);
}

TEST(SigninDaysTest, TheLocalCalendarIsTheTimeZones) {
  // 2026-01-31 23:30 and 2026-02-01 00:30 in UTC+8, both still 31 January in UTC.
  const long long lateJan31 = 1769873400;  // 15:30 UTC
  const long long earlyFeb1 = 1769877000;  // 16:30 UTC
  {
    kztest::ScopedEnv tz("TZ", "CST-8");
    ::tzset();
    EXPECT_EQ(kz::cloud::LocalCalendarDate(lateJan31), (CalendarDate{2026, 1, 31}));
    EXPECT_EQ(kz::cloud::LocalCalendarDate(earlyFeb1), (CalendarDate{2026, 2, 1}));
    EXPECT_EQ(kz::cloud::NextSignin({5, 2, lateJan31, 3, 5}, earlyFeb1).loginDays, 4);
  }
  {
    kztest::ScopedEnv tz("TZ", "UTC0");
    ::tzset();
    EXPECT_EQ(kz::cloud::NextSignin({5, 2, lateJan31, 3, 5}, earlyFeb1).loginDays, 3);  // the same day
    // A time no calendar holds.
    EXPECT_FALSE(kz::cloud::LocalCalendarDate(0x7fffffffffffffffLL).has_value());
    EXPECT_EQ(kz::cloud::NextSignin({5, 2, 0x7fffffffffffffffLL, 3, 5}, earlyFeb1).loginDays, 0);
  }
  ::tzset();
}

TEST(SigninDaysTest, RecordSigninStoresTheRowsNewValues) {
  kztest::Computer pc("http://127.0.0.1:9/");
  kz::store::Database& db = pc.Db();
  // No row for that user.
  EXPECT_EQ(kz::cloud::RecordSignin(db, "nobody", 100).kind, kz::cloud::SigninResult::Kind::kNoRow);
  ASSERT_TRUE(db.Execute("update kz_user set my_score=9, my_level=3, login_time=?, login_days=2, signin_count=9 "
                         "where user_name='CommonUser'",
                         {100LL}));
  FakeCalendar calendar;
  calendar.dates = {{100, {2026, 12, 31}}, {200, {2027, 1, 1}}};
  const kz::cloud::SigninResult result = kz::cloud::RecordSignin(db, "CommonUser", 200, calendar.Fn());
  ASSERT_EQ(result.kind, kz::cloud::SigninResult::Kind::kDone);
  EXPECT_EQ(result.values.myScore, 10);
  EXPECT_EQ(pc.UserValue("my_score"), 10);
  EXPECT_EQ(pc.UserValue("signin_count"), 10);
  EXPECT_EQ(pc.UserValue("login_days"), 3);
  EXPECT_EQ(pc.UserValue("login_time"), 200);
  EXPECT_EQ(pc.UserValue("my_level"), 3);
}

}  // namespace
