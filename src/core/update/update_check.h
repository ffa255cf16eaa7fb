#pragma once
// The manual and the silent update check as flows that run on a worker thread. Everything they
// touch beyond files and the network comes in through the environment, so tests drive them with a
// fake download and a recording flasher, and the program hands the results to its window thread.
#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>

#include "update/downloader.h"

namespace kz::update {

// The firmware versions flashed in this run. The mouse may go on reporting its old version for a
// while (or for good, when the image does not carry a version); a version flashed once is not
// flashed again by a later check of the same run.
class FlashedVersions {
 public:
  void Remember(const std::string& version) {
    std::lock_guard lock(mutex_);
    versions_.insert(version);
  }
  bool Has(const std::string& version) const {
    std::lock_guard lock(mutex_);
    return versions_.count(version) != 0;
  }

 private:
  mutable std::mutex mutex_;
  std::set<std::string> versions_;
};

struct CheckEnvironment {
  std::string dataDir;      // ends in "/"
  std::string manifestUrl;
  std::string softwareVersion;
  std::function<std::string()> firmwareVersion;  // what the mouse runs, read when compared
  Downloader* downloader = nullptr;
  FlashedVersions* flashed = nullptr;
  // Flashes the image at the path and waits for the end of the sequence; true on success.
  std::function<bool(const std::string& path)> flash;
  // A flash succeeded: the new version is to be kept (session and kz_global.hard_ver).
  std::function<void(const std::string& version)> firmwareFlashed;
  std::function<void()> refreshVersions;
  std::function<void(const std::string& line)> status;
  Progress progress;
  // The archive was extracted into "Update": the updater takes over. The program never comes
  // back from it; tests do.
  std::function<void()> handOff;
  const std::atomic<bool>* cancel = nullptr;
  int startDelayMs = 1000;
};

enum class CheckOutcome {
  kNoUpdateInfo,           // manifest not fetched or without "ver"
  kFirmwareDownloadFailed, // the software was not looked at
  kUpToDate,               // "软件版本已是最新版！"
  kDownloadFailed,         // the archive did not come
  kExtractFailed,
  kHandedOff,
  kCancelled,
};

// Steps of the manual check (command 5001), after its first status line: waits, fetches the
// manifest into "ver.ini", flashes a different firmware first, then fetches, checks and extracts
// a different software version into "Update" and hands off. A raised cancel flag ends it at the
// next step without a status line.
CheckOutcome RunManualCheck(const CheckEnvironment& env);

// The silent check when the support page is made: fetches into "ver2.ini" and tells whether
// anything differs; false also when the manifest could not be fetched. `label` gets "" first and
// "有新版本！" when something is new.
bool RunSilentCheck(const CheckEnvironment& env, const std::function<void(const std::string& label)>& label);

// Where the archive is extracted: dataDir + "Update" unless a file of that name is in the way,
// then the archive's own folder name (its path without the extension).
std::string ExtractionFolder(const std::string& dataDir, const std::string& archiveDefaultFolder);

}  // namespace kz::update
