#pragma once
// The sign-in bookkeeping after a login: consecutive calendar days raise the score and the run of
// login days, a skipped day ends the run, a second login on the same day changes nothing. Days are
// the local calendar's (the time zone of the environment, TZ included), compared by date so that
// the last day of a month or a year and the first of the next are consecutive.
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "store/database.h"

namespace kz::cloud {

struct CalendarDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  bool operator==(const CalendarDate&) const = default;
};

// The local calendar date of a time (localtime_r); none when it cannot be converted.
using LocalDateOf = std::function<std::optional<CalendarDate>(long long seconds)>;
std::optional<CalendarDate> LocalCalendarDate(long long seconds);

// True when `later` is the calendar day after `earlier`.
bool IsNextDay(const CalendarDate& earlier, const CalendarDate& later);

// The kz_user columns the bookkeeping reads and writes.
struct SigninValues {
  long long myScore = 0;
  long long myLevel = 0;
  long long loginTime = 0;  // seconds since 1970 (the service's clock)
  long long loginDays = 0;
  long long signinCount = 0;
};

// The values after a login at `newLoginTime` (a stored login time of 0 is the first login on this
// computer: everything becomes 1). Without a date for both times nothing but the login time
// changes; with a date for only one the run of days ends.
SigninValues NextSignin(const SigninValues& stored, long long newLoginTime,
                        const LocalDateOf& dateOf = LocalCalendarDate);

struct SigninResult {
  enum class Kind { kFailed, kNoRow, kDone };
  Kind kind = Kind::kFailed;
  SigninValues values;  // kDone: as stored now
};

// Reads the user's kz_user row, applies NextSignin and stores it (owning thread). kFailed when the
// row could not be read or written (the reason is the database's last error).
SigninResult RecordSignin(store::Database& db, const std::string& userName, long long loginTime,
                          const LocalDateOf& dateOf = LocalCalendarDate);

}  // namespace kz::cloud
