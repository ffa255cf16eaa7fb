#include "honor/user_counters.h"

namespace kz::honor {

const CounterColumn kCounterColumns[] = {
    {"mouse_left", &UserCounters::mouseLeft},
    {"mouse_right", &UserCounters::mouseRight},
    {"mouse_middle", &UserCounters::mouseMiddle},
    {"wheel_up", &UserCounters::wheelUp},
    {"wheel_down", &UserCounters::wheelDown},
    {"move_distance", &UserCounters::moveDistance},
    {"online_time_min", &UserCounters::onlineTimeMin},
    {"login_time", &UserCounters::loginTime},
    {"login_days", &UserCounters::loginDays},
    {"signin_count", &UserCounters::signinCount},
    {"my_score", &UserCounters::myScore},
    {"my_level", &UserCounters::myLevel},
    {"share_count", &UserCounters::shareCount},
    {"invite_count", &UserCounters::inviteCount},
};
const int kCounterColumnCount = sizeof kCounterColumns / sizeof kCounterColumns[0];

UserCounters CountersOfRow(const store::Recordset& row) {
  UserCounters counters;
  for (const CounterColumn& column : kCounterColumns) {
    long long value = 0;
    row.GetFieldValue(column.name, value);  // stays 0 when missing
    counters.*column.member = value;
  }
  return counters;
}

bool OpenUserRow(store::Recordset& rs, const std::string& user) {
  return rs.Open("select * from kz_user where user_name=?", {user});
}

}  // namespace kz::honor
