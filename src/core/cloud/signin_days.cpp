#include "cloud/signin_days.h"

#include <chrono>
#include <limits>

namespace kz::cloud {

std::optional<CalendarDate> LocalCalendarDate(long long seconds) {
  if (seconds < std::numeric_limits<std::time_t>::min() || seconds > std::numeric_limits<std::time_t>::max())
    return std::nullopt;
  const std::time_t when = static_cast<std::time_t>(seconds);
  std::tm local{};
  if (::localtime_r(&when, &local) == nullptr) return std::nullopt;
  return CalendarDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

bool IsNextDay(const CalendarDate& earlier, const CalendarDate& later) {
  using namespace std::chrono;
  const year_month_day a{year{earlier.year}, month{static_cast<unsigned>(earlier.month)},
                         day{static_cast<unsigned>(earlier.day)}};
  const year_month_day b{year{later.year}, month{static_cast<unsigned>(later.month)},
                         day{static_cast<unsigned>(later.day)}};
  if (!a.ok() || !b.ok()) return false;
  return sys_days{b} - sys_days{a} == days{1};
}

SigninValues NextSignin(const SigninValues& stored, long long newLoginTime, const LocalDateOf& dateOf) {
  SigninValues next = stored;
  if (stored.loginTime == 0) {
    next.signinCount = 1;
    next.myScore = 1;
    next.myLevel = 1;
    next.loginDays = 1;
    next.loginTime = newLoginTime;
    return next;
  }
  next.loginTime = newLoginTime;
  const std::optional<CalendarDate> oldDate = dateOf(stored.loginTime);
  const std::optional<CalendarDate> newDate = dateOf(newLoginTime);
  if (!oldDate && !newDate) return next;
  if (!oldDate || !newDate) {
    next.loginDays = 0;
    return next;
  }
  if (IsNextDay(*oldDate, *newDate)) {
    next.myScore = stored.myScore + 1;
    next.signinCount = next.myScore;
    next.loginDays = stored.loginDays + 1;
  } else if (!(*oldDate == *newDate)) {
    next.loginDays = 0;
  }
  return next;
}

SigninResult RecordSignin(store::Database& db, const std::string& userName, long long loginTime,
                          const LocalDateOf& dateOf) {
  SigninResult result;
  store::Recordset row(db);
  if (!row.Open("select * from kz_user where user_name=?", {userName})) return result;
  if (row.GetRecordCount() == 0) {
    result.kind = SigninResult::Kind::kNoRow;
    return result;
  }
  row.MoveFirst();
  SigninValues stored;
  row.GetFieldValue("my_score", stored.myScore);
  row.GetFieldValue("my_level", stored.myLevel);
  row.GetFieldValue("login_time", stored.loginTime);
  row.GetFieldValue("login_days", stored.loginDays);
  row.GetFieldValue("signin_count", stored.signinCount);
  const SigninValues next = NextSignin(stored, loginTime, dateOf);
  if (!row.Edit()) return result;
  row.SetFieldValue("my_score", next.myScore);
  row.SetFieldValue("my_level", next.myLevel);
  row.SetFieldValue("login_time", next.loginTime);
  row.SetFieldValue("login_days", next.loginDays);
  row.SetFieldValue("signin_count", next.signinCount);
  if (!row.Update()) return result;
  result.kind = SigninResult::Kind::kDone;
  result.values = next;
  return result;
}

}  // namespace kz::cloud
