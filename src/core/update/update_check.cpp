#include "update/update_check.h"

#include <chrono>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "base/log.h"
#include "update/manifest.h"
#include "update/unzipper.h"
#include "update/update_files.h"
#include "update/update_texts.h"

namespace kz::update {
namespace {

bool Cancelled(const CheckEnvironment& env) { return env.cancel && env.cancel->load(); }

void Status(const CheckEnvironment& env, const char* line) {
  if (env.status) env.status(line);
}

const std::atomic<bool>& CancelFlag(const CheckEnvironment& env) {
  static const std::atomic<bool> never{false};
  return env.cancel ? *env.cancel : never;
}

// The start-up wait of a check, cut short by the cancel flag.
bool Wait(const CheckEnvironment& env) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(env.startDelayMs);
  while (std::chrono::steady_clock::now() < end) {
    if (Cancelled(env)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return !Cancelled(env);
}

bool FetchManifest(const CheckEnvironment& env, const char* fileName, Manifest& manifest) {
  const std::string path = env.dataDir + fileName;
  if (!env.downloader || !DownloadVerified(*env.downloader, env.manifestUrl, path, "", {}, CancelFlag(env)))
    return false;
  return ReadManifestFile(path, manifest);
}

// "down/" + the URL's last part, with the folder made first; empty when the download failed.
std::string Fetch(const CheckEnvironment& env, const std::string& url, const std::string& sha256) {
  const std::string path = DownloadPath(env.dataDir, url);
  if (!CreateFolder(env.dataDir + kDownloadFolderName)) return {};
  if (!DownloadVerified(*env.downloader, url, path, sha256, env.progress, CancelFlag(env))) return {};
  return path;
}

bool FirmwareIsNew(const CheckEnvironment& env, const Manifest& manifest) {
  const std::string running = env.firmwareVersion ? env.firmwareVersion() : std::string();
  return manifest.hardver != running && !(env.flashed && env.flashed->Has(manifest.hardver));
}

}  // namespace

std::string ExtractionFolder(const std::string& dataDir, const std::string& archiveDefaultFolder) {
  const std::string folder = dataDir + kUpdateFolderName;
  struct stat st{};
  if (::lstat(folder.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return folder;
  return archiveDefaultFolder;
}

CheckOutcome RunManualCheck(const CheckEnvironment& env) {
  if (!Wait(env)) return CheckOutcome::kCancelled;
  Manifest manifest;
  if (!FetchManifest(env, kManualManifestName, manifest) || manifest.ver.empty()) {
    if (Cancelled(env)) return CheckOutcome::kCancelled;
    Status(env, text::kNoUpdateInfo);
    return CheckOutcome::kNoUpdateInfo;
  }

  if (FirmwareIsNew(env, manifest)) {
    Status(env, text::kDownloadingFirmware);
    const std::string image = Fetch(env, manifest.hardpath, manifest.hardsha256);
    if (Cancelled(env)) return CheckOutcome::kCancelled;
    if (image.empty()) {
      Status(env, text::kFirmwareDownloadFailed);
      return CheckOutcome::kFirmwareDownloadFailed;
    }
    const bool flashed = env.flash && env.flash(image);
    if (flashed) {
      if (env.flashed) env.flashed->Remember(manifest.hardver);
      if (env.firmwareFlashed) env.firmwareFlashed(manifest.hardver);
    }
    ::unlink(image.c_str());
    if (env.refreshVersions) env.refreshVersions();
    if (Cancelled(env)) return CheckOutcome::kCancelled;
  }

  if (manifest.ver == env.softwareVersion) {
    Status(env, text::kSoftwareIsNewest);
    return CheckOutcome::kUpToDate;
  }
  Status(env, text::kDownloading);
  const std::string archive = Fetch(env, manifest.path, manifest.sha256);
  if (Cancelled(env)) return CheckOutcome::kCancelled;
  if (archive.empty()) return CheckOutcome::kDownloadFailed;

  CUnzipper unzipper;
  if (!unzipper.OpenArchive(archive)) {
    Log("update archive %s: %s", archive.c_str(), unzipper.Problem().c_str());
    Status(env, text::kExtractFailed);
    return CheckOutcome::kExtractFailed;
  }
  Status(env, text::kExtracting);
  const std::string folder = ExtractionFolder(env.dataDir, unzipper.DefaultOutputFolder());
  if (!unzipper.ExtractAll(folder)) {
    Log("update archive %s: %s", archive.c_str(), unzipper.Problem().c_str());
    Status(env, text::kExtractFailed);
    unzipper.Close();
    return CheckOutcome::kExtractFailed;
  }
  unzipper.Close();
  ::unlink(archive.c_str());
  Status(env, text::kExtracted);
  if (Cancelled(env)) return CheckOutcome::kCancelled;
  if (env.handOff) env.handOff();
  return CheckOutcome::kHandedOff;
}

bool RunSilentCheck(const CheckEnvironment& env, const std::function<void(const std::string& label)>& label) {
  if (!Wait(env)) return false;
  if (label) label("");
  Manifest manifest;
  if (!FetchManifest(env, kSilentManifestName, manifest)) return false;
  bool isNew = false;
  if (manifest.ver != env.softwareVersion) isNew = true;
  if (FirmwareIsNew(env, manifest)) isNew = true;
  if (isNew && label) label(text::kNewVersion);
  return isNew;
}

}  // namespace kz::update
