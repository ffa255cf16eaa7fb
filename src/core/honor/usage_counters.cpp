#include "honor/usage_counters.h"

#include <algorithm>
#include <limits>

#include "device/status_report.h"
#include "honor/user_counters.h"

namespace kz::honor {
namespace {

constexpr long long kMax = std::numeric_limits<std::int32_t>::max();
constexpr long long kMin = std::numeric_limits<std::int32_t>::min();

// The counters are 32-bit; a sum past the top stays at the top instead of turning negative (and
// taking every honor's comparison with it).
std::int32_t Clamped(long long value) { return static_cast<std::int32_t>(std::clamp(value, kMin, kMax)); }
void Add(std::int32_t& counter, long long amount) { counter = Clamped(static_cast<long long>(counter) + amount); }

// Positions 3 to 7 of kz_user, in order.
constexpr int kFirstClickPosition = 3;

}  // namespace

CounterFigures FiguresOf(long long left, long long right, long long middle, long long wheelUp, long long wheelDown,
                         long long distance) {
  CounterFigures f;
  f.left = left;
  f.right = right;
  f.middle = middle;
  f.clicksTotal = left + right + middle;
  f.wheelTurnsUp = wheelUp / UsageCounters::kCountPerFlag;
  f.wheelTurnsDown = wheelDown / UsageCounters::kCountPerFlag;
  f.wheelTurnsTotal = (wheelUp + wheelDown) / UsageCounters::kCountPerFlag;
  f.distanceMetres = distance / 100;
  return f;
}

CounterFigures FiguresOf(const CounterValues& v) {
  return FiguresOf(v.left, v.right, v.middle, v.wheelUp, v.wheelDown, v.distance);
}

std::int32_t DistanceOfCounts(int counts, int dpi) {
  if (dpi <= 0 || counts <= 0) return 0;
  const float inches = static_cast<float>(counts) / static_cast<float>(dpi);
  return static_cast<std::int32_t>(inches * 2.54f);
}

void UsageCounters::SetValues(const CounterValues& values) {
  owner_.Check("usage counters");
  values_ = values;
}

void UsageCounters::ApplyStatusReport(const device::StatusReport& report, int activeDpi) {
  owner_.Check("usage counters");
  using R = device::StatusReport;
  const int flags = report.clickFlags;
  if (flags & R::kClickLeft) Add(values_.left, kCountPerFlag);
  if (flags & R::kClickRight) Add(values_.right, kCountPerFlag);
  if (flags & R::kClickMiddle) Add(values_.middle, kCountPerFlag);
  if (flags & R::kWheelUp) Add(values_.wheelUp, kCountPerFlag);
  if (flags & R::kWheelDown) Add(values_.wheelDown, kCountPerFlag);
  Add(values_.distance, DistanceOfCounts(report.movement, activeDpi));
}

void UsageCounters::AddMouseMessage(int message, int wheelDelta) {
  owner_.Check("usage counters");
  switch (message) {
    case 0x201: Add(values_.left, 1); break;
    case 0x204: Add(values_.right, 1); break;
    case 0x207: Add(values_.middle, 1); break;
    case 0x20A: Add(wheelDelta > 0 ? values_.wheelUp : values_.wheelDown, 1); break;
    default: break;
  }
}

void UsageCounters::LoadFromStore(store::Database& db, const std::string& user) {
  owner_.Check("usage counters");
  store::Recordset rs(db);
  if (!OpenUserRow(rs, user) || rs.GetRecordCount() == 0) return;
  rs.MoveFirst();
  long long v[5] = {};
  for (int i = 0; i < 5; ++i) rs.GetFieldValue(kFirstClickPosition + i, v[i]);
  long long distance = 0;
  rs.GetFieldValue("move_distance", distance);
  values_ = {Clamped(v[0]), Clamped(v[1]), Clamped(v[2]), Clamped(v[3]), Clamped(v[4]), Clamped(distance)};
  stored_ = pending_ = values_;
}

bool UsageCounters::SaveToStore(store::Database& db, const std::string& user) {
  owner_.Check("usage counters");
  store::Recordset rs(db);
  if (!OpenUserRow(rs, user)) return false;
  if (rs.GetRecordCount() == 0) return true;  // nobody to count for
  rs.MoveFirst();
  if (!rs.Edit()) return false;
  const std::int32_t clicks[5] = {values_.left, values_.right, values_.middle, values_.wheelUp, values_.wheelDown};
  for (int i = 0; i < 5; ++i) rs.SetFieldValue(kFirstClickPosition + i, static_cast<long long>(clicks[i]));
  rs.SetFieldValue("move_distance", static_cast<long long>(values_.distance));
  if (!rs.Update()) return false;
  pending_ = values_;
  return true;
}

void UsageCounters::Stored() { stored_ = pending_; }

void UsageCounters::ResetToDefaults() {
  owner_.Check("usage counters");
  values_.left = values_.right = values_.middle = values_.wheelUp = values_.wheelDown = 0;
}

}  // namespace kz::honor
