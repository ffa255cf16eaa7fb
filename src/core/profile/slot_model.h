#pragma once
// A page model kept for the current user rather than for the active profile (the usage counters
// of the statistics page), taking part in the profile session's walks in its slot: load all,
// save all (in the same transaction as the profile row), factory reset and the status report.
#include <string>

#include "store/database.h"

namespace kz::device {
struct StatusReport;
}

namespace kz::profile {

class SlotModel {
 public:
  virtual ~SlotModel() = default;
  // From the user's stored data; a missing row keeps what the model holds.
  virtual void LoadFromStore(store::Database& db, const std::string& user) = 0;
  // Into the store; false when it could not be written (the session's transaction then fails).
  virtual bool SaveToStore(store::Database& db, const std::string& user) = 0;
  // The save just made is committed.
  virtual void Stored() {}
  virtual void ResetToDefaults() = 0;
  // Something changed since the last stored save.
  virtual bool Changed() const = 0;
  // `activeDpi`: the DPI of the active level as the settings page holds it after the report.
  virtual void ApplyStatusReport(const device::StatusReport& report, int activeDpi) = 0;
};

}  // namespace kz::profile
