#pragma once
// The usage counters of the statistics page: left, right and middle clicks, wheel forward and
// backward, and the distance travelled, held in memory for the current user, fed by the status
// reports and stored in the user's kz_user row (positions 3 to 7 and move_distance).
//
// Owned by the window thread (the status report is handed there before it is applied).
#include <cstdint>
#include <string>

#include "base/thread_owner.h"
#include "profile/slot_model.h"

namespace kz::honor {

struct CounterValues {
  std::int32_t left = 0, right = 0, middle = 0, wheelUp = 0, wheelDown = 0;
  std::int32_t distance = 0;  // centimetres
  bool operator==(const CounterValues&) const = default;
};

// The eight numbers of the statistics page (controls 1004 to 1011), integer divisions.
struct CounterFigures {
  long long left = 0, right = 0, middle = 0, clicksTotal = 0;
  long long wheelTurnsUp = 0, wheelTurnsDown = 0, wheelTurnsTotal = 0;
  long long distanceMetres = 0;
  bool operator==(const CounterFigures&) const = default;
};
CounterFigures FiguresOf(long long left, long long right, long long middle, long long wheelUp, long long wheelDown,
                         long long distance);
CounterFigures FiguresOf(const CounterValues& values);

// Centimetres that `counts` of movement stand for at `dpi`: counts / dpi inches (single
// precision) times 2.54, truncated; 0 for a DPI of 0 or less.
std::int32_t DistanceOfCounts(int counts, int dpi);

class UsageCounters : public profile::SlotModel {
 public:
  static constexpr int kCountPerFlag = 24;

  const CounterValues& Values() const { return values_; }
  CounterFigures Figures() const { return FiguresOf(values_); }
  void SetValues(const CounterValues& values);

  // Bytes 16 (each set flag adds 24 to its counter) and 23/24 (movement at `activeDpi`).
  void ApplyStatusReport(const device::StatusReport& report, int activeDpi) override;
  // A click or wheel message of a mouse hook: 0x201, 0x204, 0x207 add one click; 0x20A one wheel
  // step forward when `wheelDelta` > 0, else backward. Other messages change nothing.
  void AddMouseMessage(int message, int wheelDelta);

  // "select * from kz_user where user_name=?", positions 3 to 7 and move_distance; a missing row
  // leaves the counters as they are.
  void LoadFromStore(store::Database& db, const std::string& user) override;
  // The same row, edited; true (nothing written) when the user has no row.
  bool SaveToStore(store::Database& db, const std::string& user) override;
  void Stored() override;
  // The five click and wheel counters to 0; the distance stays.
  void ResetToDefaults() override;
  // The counters differ from what was last loaded or stored.
  bool Changed() const override { return values_ != stored_; }

 private:
  CounterValues values_;
  CounterValues stored_;   // what the row holds, as far as this model knows
  CounterValues pending_;  // what the last save wrote, until its transaction is committed
  ThreadOwner owner_;
};

}  // namespace kz::honor
