#include "honor/honor.h"

#include "base/log.h"

namespace kz::honor {
namespace {

long long Score(const UserCounters& c) { return c.myScore; }
long long Sign(const UserCounters& c) { return c.loginDays; }
long long Clicks(const UserCounters& c) { return c.mouseLeft + c.mouseRight + c.mouseMiddle; }
long long Wheel(const UserCounters& c) { return WheelDistance(c.wheelUp, c.wheelDown); }
long long Hours(const UserCounters& c) { return OnlineHours(c.onlineTimeMin); }
long long Shares(const UserCounters& c) { return c.shareCount; }
long long Invites(const UserCounters& c) { return c.inviteCount; }

std::optional<std::vector<EarnedHonor>> ReadEarned(store::Recordset& rs) {
  std::vector<EarnedHonor> rows;
  for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
    EarnedHonor row;
    long long value = 0;
    rs.GetFieldValue("honor_type", value);
    row.type = static_cast<int>(value);
    rs.GetFieldValue("honor_level", value);
    row.level = static_cast<int>(value);
    rs.GetFieldValue("create_time", row.createTime);
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

// The table of the categories.
const CHonor CHonorScore(1, "score", Score, {1, 30, 90, 365, 999},
                         {"抵达KZ星系-积分达到1", "星际行者-积分达到30", "星际大师-积分达到90", "星爵-积分达到365",
                          "星？-积分达到999"});
const CHonor CHonorSign(2, "sign", Sign, {1, 5, 30, 365},
                        {"初窥门径-1次签到", "连过五关-连续5次", "30而立-连续30天", "战争之王-连续365天"});
const CHonor CHonorClick(3, "click", Clicks, {10000, 100000, 500000, 1000000, 5000000, 10000000},
                         {"百战天虫-点击10000次", "千王之王-点击100000次", "奥林匹克选手-点击500000次",
                          "就这暴脾气-点击1000000次", "电动马达-点击5000000次", "小心！鼠标手-点击10000000次"});
const CHonor CHonorWheel(4, "wheel", Wheel, {100, 1000, 10000, 50000, 400000000},
                         {"百米冲刺-滚动100米", "千里追风-滚动1000米", "东方神鹿-滚动10000米", "冲上云霄-滚动50000米",
                          "地球也吉祥-滚动400000000米"});
const CHonor CHonorLoginTime(5, "ltime", Hours, {1, 24, 168, 8760},
                             {"速战速决-累计1小时", "时间总是不够-累计24小时", "时间旅行者-累计168小时",
                              "时间会解决一切-累计8760小时"});
const CHonor CHonorShare(6, "share", Shares, {1, 10, 100}, {"广交朋友-首次分享", "美国队长-分享10次", "合伙人-分享100次"});
const CHonor CHonorInvite(7, "invite", Invites, {1, 3, 5},
                          {"小伙伴招募-邀请1人", "无巧不成三-邀请3人", "可以开黑了-邀请5人"});
const CHonor CHonorZF(8, "zhengfu", nullptr, {},
                      {"大师名作-首发购入2015、12、31日截至", "品味出众-官网购入", "量身定制-生日"});
const CHonor CHonorGame(9, "game", nullptr, {}, {"FPS", "MMO"});

const std::array<const CHonor*, kHonorTypeCount>& Categories() {
  static const std::array<const CHonor*, kHonorTypeCount> all = {
      &CHonorScore, &CHonorSign, &CHonorClick, &CHonorWheel, &CHonorLoginTime,
      &CHonorShare, &CHonorInvite, &CHonorZF, &CHonorGame};
  return all;
}

const CHonor* CategoryOf(int type) {
  return type >= 1 && type <= kHonorTypeCount ? Categories()[static_cast<size_t>(type - 1)] : nullptr;
}

CHonor::CHonor(int type, std::string key, ValueOf value, std::vector<long long> thresholds,
               std::vector<std::string> titles)
    : type_(type), key_(std::move(key)), value_(value), thresholds_(std::move(thresholds)), titles_(std::move(titles)) {}

std::string CHonor::TitleOf(int level) const {
  if (level < 1 || level > static_cast<int>(titles_.size())) return {};
  std::string title, condition;
  SplitTitle(titles_[static_cast<size_t>(level - 1)], title, condition);
  return title;
}

std::string CHonor::ConditionOf(int level) const {
  if (level < 1 || level > static_cast<int>(titles_.size())) return {};
  std::string title, condition;
  SplitTitle(titles_[static_cast<size_t>(level - 1)], title, condition);
  return condition;
}

std::optional<long long> CHonor::Value(const UserCounters& counters) const {
  if (!value_) return std::nullopt;
  return value_(counters);
}

std::vector<int> CHonor::MetLevels(const UserCounters& counters) const {
  std::vector<int> levels;
  const std::optional<long long> value = Value(counters);
  if (!value) return levels;
  for (size_t k = 0; k < thresholds_.size(); ++k)
    if (*value >= thresholds_[k]) levels.push_back(static_cast<int>(k) + 1);
  return levels;
}

int CHonor::Check(store::Database& db, const std::string& user, const UserCounters& counters, std::time_t now) const {
  int granted = 0;
  for (int level : MetLevels(counters))
    if (Grant(db, user, type_, level, now) == GrantResult::kGranted) ++granted;
  return granted;
}

HonorSlots CHonor::Show(const std::optional<std::vector<EarnedHonor>>& earned) const {
  HonorSlots slots;
  // The titles go into the slots by position; the rows then decide which slots are shown.
  for (size_t i = 0; i < slots.size() && i < titles_.size(); ++i)
    SplitTitle(titles_[i], slots[i].title, slots[i].condition);
  if (!earned) return slots;
  size_t used = 0;
  for (; used < earned->size() && used < slots.size(); ++used) {
    HonorSlot& slot = slots[used];
    slot.visible = true;
    slot.medal = Medal::kEarned;
    slot.titleColour = kEarnedTitleColour;
    slot.conditionColour = kEarnedConditionColour;
  }
  // The next goal is the next level of the category; with every level earned there is none (an
  // empty grey slot would promise a level that does not exist).
  if (used < slots.size() && used < titles_.size()) {
    HonorSlot& slot = slots[used];
    slot.visible = true;
    slot.medal = Medal::kNextGoal;
    slot.titleColour = kNextGoalColour;
    slot.conditionColour = kNextGoalColour;
  }
  return slots;
}

HonorSlots CHonor::Show(store::Database& db, const std::string& user) const {
  return Show(EarnedHonors(db, user, type_));
}

void SplitTitle(const std::string& text, std::string& title, std::string& condition) {
  const size_t dash = text.find('-');
  title = text.substr(0, dash);
  condition = dash == std::string::npos ? std::string() : text.substr(dash + 1);
}

long long WheelDistance(long long wheelUp, long long wheelDown) {
  const long long turns = (wheelUp + wheelDown) / 24;
  return static_cast<long long>(static_cast<double>(turns) * 78.5 / 100.0);
}

long long OnlineHours(long long minutes) { return minutes / 60; }

long long CreateTimeOf(std::time_t now) { return static_cast<long long>(static_cast<std::uint32_t>(now)); }

GrantResult Grant(store::Database& db, const std::string& user, int type, int level, std::time_t now) {
  store::Recordset rs(db);
  if (!rs.Open("select * from kz_honor where user_name=? and honor_type=? and honor_level=?",
               {user, static_cast<long long>(type), static_cast<long long>(level)}))
    return GrantResult::kFailed;
  if (rs.GetRecordCount() > 0) return GrantResult::kAlreadyEarned;
  if (!db.Execute("insert into kz_honor(user_name,honor_type,honor_level,create_time) values(?,?,?,?)",
                  {user, static_cast<long long>(type), static_cast<long long>(level), CreateTimeOf(now)}))
    return GrantResult::kFailed;
  Log("honor %d level %d earned by %s", type, level, user.c_str());
  return GrantResult::kGranted;
}

int CheckAll(store::Database& db, const std::string& user, std::time_t now) {
  store::Recordset rs(db);
  if (!OpenUserRow(rs, user) || rs.GetRecordCount() == 0) return 0;
  rs.MoveFirst();
  const UserCounters counters = CountersOfRow(rs);
  int granted = 0;
  for (const CHonor* category : Categories()) granted += category->Check(db, user, counters, now);
  return granted;
}

std::optional<std::vector<EarnedHonor>> EarnedHonors(store::Database& db, const std::string& user, int type) {
  store::Recordset rs(db);
  if (!rs.Open("select * from kz_honor where user_name=? and honor_type=? order by honor_level",
               {user, static_cast<long long>(type)}))
    return std::nullopt;
  return ReadEarned(rs);
}

std::optional<std::vector<EarnedHonor>> AllEarnedHonors(store::Database& db, const std::string& user) {
  store::Recordset rs(db);
  if (!rs.Open("select * from kz_honor where user_name=? order by honor_type, honor_level", {user}))
    return std::nullopt;
  return ReadEarned(rs);
}

}  // namespace kz::honor
