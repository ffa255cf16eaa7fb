#pragma once
// The values of the running program. Those fixed at start live in ProcessValues and are never
// written afterwards; those that the window thread changes while worker threads (sync, update
// checks) read them live in Session, behind one lock, and are read as a whole by Snapshot so a
// reader never sees a user name of one login with the token of another.
#include <ctime>
#include <functional>
#include <mutex>
#include <string>

#include "base/constants.h"

namespace kz {

struct ProcessValues {
  std::string softwareVersion = kSoftwareVersion;
  std::string dataDir;     // ends in "/"
  std::string programDir;  // ends in "/"
  std::string commandLine; // the arguments after the program name, joined with blanks
};

struct SessionValues {
  std::string userName = kLocalUserName;
  std::string token;  // empty: logged out
  long long syncLast = 0;  // last synchronised data version
  std::time_t lastUploadTime = 0;
  std::string firmwareVersion = kDefaultFirmwareVersion;
};

class Session {
 public:
  Session() = default;
  explicit Session(SessionValues values) : values_(std::move(values)) {}

  SessionValues Snapshot() const {
    std::lock_guard lock(mutex_);
    return values_;
  }
  // Changes several values at once, as one step for every reader.
  void Update(const std::function<void(SessionValues&)>& change) {
    std::lock_guard lock(mutex_);
    change(values_);
  }

  std::string UserName() const { return Snapshot().userName; }
  std::string FirmwareVersion() const { return Snapshot().firmwareVersion; }
  void SetUserName(std::string name) {
    Update([&](SessionValues& v) { v.userName = std::move(name); });
  }
  void SetFirmwareVersion(std::string version) {
    Update([&](SessionValues& v) { v.firmwareVersion = std::move(version); });
  }
  void SetLastUploadTime(std::time_t when) {
    Update([&](SessionValues& v) { v.lastUploadTime = when; });
  }

 private:
  mutable std::mutex mutex_;
  SessionValues values_;
};

}  // namespace kz
