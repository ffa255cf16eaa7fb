#include "update/firmware_flash.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <sys/stat.h>

#include "base/log.h"
#include "base/paths.h"
#include "update/update_texts.h"

namespace kz::update {
namespace {

// A user may pick anything in the file dialog: only a regular file of a sensible size is read (a
// FIFO would block, a device never end).
constexpr long long kMaxImageBytes = 16 * 1024 * 1024;

bool ReadImageFile(const std::string& path, std::string& content, std::string& problem) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return problem = "the file cannot be read", false;
  if (!S_ISREG(st.st_mode)) return problem = "it is not a regular file", false;
  if (st.st_size > kMaxImageBytes) return problem = "the file is too large for a firmware image", false;
  if (!paths::ReadFile(path, content)) return problem = "the file cannot be read", false;
  return true;
}

}  // namespace

bool FlashFirmware(const std::string& path, device::SequenceWriter& writer, const FlashReport& report,
                   std::function<void(bool ok)> done) {
  std::string content;
  FirmwareImage image;
  if (ReadImageFile(path, content, image.problem)) image = CheckFirmwareImage(content);
  if (!image.ok) {
    Log("firmware image %s refused: %s", path.c_str(), image.problem.c_str());
    if (report.status) report.status(text::kCannotOpenImage);
    return false;
  }
  device::WriteSequence sequence = BuildFlashSequence(image.records, report);
  writer.Submit(std::move(sequence), [status = report.status, done = std::move(done)](bool ok) {
    if (!ok && status) status(text::kFlashRefused);
    if (done) done(ok);
  });
  return true;
}

bool FlashFirmwareAndWait(const std::string& path, device::SequenceWriter& writer, const FlashReport& report,
                          const std::atomic<bool>& cancel) {
  struct Outcome {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool ok = false;
  };
  auto outcome = std::make_shared<Outcome>();
  bool submitted = FlashFirmware(path, writer, report, [outcome](bool ok) {
    std::lock_guard lock(outcome->mutex);
    outcome->done = true;
    outcome->ok = ok;
    outcome->finished.notify_all();
  });
  if (!submitted) return false;
  std::unique_lock lock(outcome->mutex);
  while (!outcome->done) {
    if (cancel.load()) return false;
    outcome->finished.wait_for(lock, std::chrono::milliseconds(50));
  }
  return outcome->ok;
}

}  // namespace kz::update
