#pragma once
// The counters of a user's kz_user row that the honor rules and the statistics read.
#include <string>

#include "store/database.h"

namespace kz::honor {

struct UserCounters {
  long long mouseLeft = 0, mouseRight = 0, mouseMiddle = 0;
  long long wheelUp = 0, wheelDown = 0;
  long long moveDistance = 0;  // centimetres
  long long onlineTimeMin = 0;
  long long loginTime = 0, loginDays = 0, signinCount = 0;
  long long myScore = 0, myLevel = 0;
  long long shareCount = 0, inviteCount = 0;
};

// The kz_user column names in the order of UserCounters, with a pointer to each member.
struct CounterColumn {
  const char* name;
  long long UserCounters::*member;
};
extern const CounterColumn kCounterColumns[];
extern const int kCounterColumnCount;

// The current row of an open kz_user recordset; a missing or NULL column reads as 0.
UserCounters CountersOfRow(const store::Recordset& row);

// Opens "select * from kz_user where user_name=?" for `user`. True when the query ran; the
// record count tells whether the user has a row.
bool OpenUserRow(store::Recordset& rs, const std::string& user);

}  // namespace kz::honor
