#pragma once
// The nine honor categories: their types, keys, the counter each compares, thresholds and level
// titles, as one table the code reads (honor.cpp). `CHonorScore` … `CHonorGame` are the category
// objects; they differ only in their row of that table.
#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "honor/honor_slots.h"
#include "honor/user_counters.h"
#include "store/database.h"

namespace kz::honor {

// One stored level: a kz_honor row.
struct EarnedHonor {
  int type = 0;
  int level = 0;
  long long createTime = 0;
};

class CHonor {
 public:
  // The quantity a category compares with its thresholds; nullptr for a category without a local
  // rule (its levels only arrive with a download).
  using ValueOf = long long (*)(const UserCounters& counters);

  CHonor(int type, std::string key, ValueOf value, std::vector<long long> thresholds,
         std::vector<std::string> titles);
  CHonor(const CHonor&) = delete;
  CHonor& operator=(const CHonor&) = delete;

  int Type() const { return type_; }
  const std::string& Key() const { return key_; }
  int SlotCount() const { return kHonorSlotCount; }
  const std::vector<long long>& Thresholds() const { return thresholds_; }
  // "title-condition" per level, level 1 first.
  const std::vector<std::string>& Titles() const { return titles_; }
  // Title and condition of level 1.. (empty when the category has no such level).
  std::string TitleOf(int level) const;
  std::string ConditionOf(int level) const;

  // The compared value, or nothing for a category without a local rule.
  std::optional<long long> Value(const UserCounters& counters) const;
  // Every level whose threshold the counters meet, in level order.
  std::vector<int> MetLevels(const UserCounters& counters) const;
  // Grants every met level not stored yet; the number of rows added. Database errors are
  // silent (the next check tries again).
  int Check(store::Database& db, const std::string& user, const UserCounters& counters, std::time_t now) const;

  // The five slots for the earned rows of this category (nothing: the query failed).
  HonorSlots Show(const std::optional<std::vector<EarnedHonor>>& earned) const;
  // The same from the store.
  HonorSlots Show(store::Database& db, const std::string& user) const;

 private:
  const int type_;
  const std::string key_;
  const ValueOf value_;
  const std::vector<long long> thresholds_;
  const std::vector<std::string> titles_;
};

extern const CHonor CHonorScore, CHonorSign, CHonorClick, CHonorWheel, CHonorLoginTime, CHonorShare,
    CHonorInvite, CHonorZF, CHonorGame;

inline constexpr int kHonorTypeCount = 9;
// The categories in type order (index 0 is type 1).
const std::array<const CHonor*, kHonorTypeCount>& Categories();
// The category of a type 1..9, or nullptr.
const CHonor* CategoryOf(int type);

// (wheel_up + wheel_down) / 24 turns, times 78.5 / 100, truncated: metres of wheel travel.
long long WheelDistance(long long wheelUp, long long wheelDown);
// online_time_min / 60.
long long OnlineHours(long long minutes);
// The unsigned low 32 bits of `now`, as kz_honor.create_time holds it.
long long CreateTimeOf(std::time_t now);

enum class GrantResult { kGranted, kAlreadyEarned, kFailed };
// Stores level `level` of `type` for `user` unless the row is there.
GrantResult Grant(store::Database& db, const std::string& user, int type, int level, std::time_t now);

// Reads the user's kz_user row and checks every category in type order; the rows added. Without a
// row (or when it cannot be read) nothing is examined.
int CheckAll(store::Database& db, const std::string& user, std::time_t now);

// The user's rows of one category by level, or nothing when the query fails.
std::optional<std::vector<EarnedHonor>> EarnedHonors(store::Database& db, const std::string& user, int type);
// All of the user's rows, by type and level.
std::optional<std::vector<EarnedHonor>> AllEarnedHonors(store::Database& db, const std::string& user);

}  // namespace kz::honor
