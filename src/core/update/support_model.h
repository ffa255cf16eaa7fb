#pragma once
// The support page's state and work without a window: the version labels, the new-version label,
// the status lines, the progress of a download or flash, the manual and silent check threads, and
// firmware flashing from a file. Its methods run on the owning (window) thread; the checks run on
// their own threads and hand every result back through the dispatcher, so the window never waits.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/dispatcher.h"
#include "device/write_sequence.h"
#include "update/downloader.h"
#include "update/update_check.h"

namespace kz::update {

class SupportModel {
 public:
  struct Options {
    Dispatcher* dispatcher = nullptr;         // required
    device::SequenceWriter* writer = nullptr; // required: where flashing goes
    Downloader* downloader = nullptr;         // required
    std::string dataDir;                      // ends in "/"
    std::string softwareVersion;
    std::string manifestUrl;
    // Read from any thread (a locked session value).
    std::function<std::string()> firmwareVersion;
    // On the owning thread: a flash from a check succeeded (keep the version in the session and
    // in kz_global.hard_ver).
    std::function<void(const std::string& version)> firmwareFlashed;
    // On the owning thread: the update is extracted; the program hands over and ends.
    std::function<void()> handOff;
    int startDelayMs = 1000;
  };
  // What the page shows; each runs on the owning thread.
  struct Observer {
    std::function<void(const std::vector<std::string>& lines)> statusLines;
    // done of total; total < 0 hides the bar.
    std::function<void(long long done, long long total)> progress;
    std::function<void(const std::string& label)> newVersionLabel;
    std::function<void()> versionsChanged;
  };

  explicit SupportModel(Options options);
  // Cancels the checks and waits for their threads.
  ~SupportModel();
  SupportModel(const SupportModel&) = delete;
  SupportModel& operator=(const SupportModel&) = delete;

  void SetObserver(Observer observer) { observer_ = std::move(observer); }

  std::string SoftwareLabel() const;  // "软件版本号: 1.17"
  std::string FirmwareLabel() const;  // "固件版本号: …"
  const std::vector<std::string>& StatusLines() const { return lines_; }
  const std::string& NewVersionLabel() const { return newVersion_; }

  // Command 5001: empties the status lines, starts the check thread, adds "正在检查...". Ignored
  // while a manual check still runs.
  void StartManualCheck();
  bool ManualCheckRunning() const;
  // Started once when the page is made.
  void StartSilentCheck();
  // Command 5000 after the file was chosen: flashes on the writer; `done` (may be empty) gets the
  // result on the owning thread (false at once for an image that cannot be used).
  void FlashFromFile(const std::string& path, std::function<void(bool ok)> done = {});
  bool Flashing() const { return flashing_; }
  // The page's stop: a running check ends at its next step.
  void Stop();

  // A status line from any thread.
  void AddStatusLine(const std::string& line);

  FlashedVersions& Flashed() { return flashed_; }

 private:
  struct Shared;  // what the threads' posted tasks may still reach after the model is gone
  CheckEnvironment Environment(const std::atomic<bool>& cancel);
  struct Poster;
  Poster MakePoster() const;
  void Post(std::function<void(SupportModel&)> task);

  Options options_;
  Observer observer_;
  std::shared_ptr<Shared> shared_;
  std::vector<std::string> lines_;
  std::string newVersion_;
  FlashedVersions flashed_;
  bool flashing_ = false;

  std::atomic<bool> manualCancel_{false};
  std::atomic<bool> manualRunning_{false};
  std::thread manual_;
  std::atomic<bool> silentCancel_{false};
  std::thread silent_;
};

}  // namespace kz::update
