#include "update/support_model.h"

#include <cstdio>
#include <mutex>

#include "update/firmware_flash.h"
#include "update/update_texts.h"

namespace kz::update {

struct SupportModel::Shared {
  std::mutex mutex;
  SupportModel* model = nullptr;  // null once the model is gone
  // The last progress handed on, so a fast download does not flood the window thread.
  long long lastDone = -1, lastTotal = -1;
};

namespace {

std::string Format(const char* pattern, const std::string& value) {
  char text[600];
  std::snprintf(text, sizeof text, pattern, value.c_str());
  return text;
}

}  // namespace

SupportModel::SupportModel(Options options) : options_(std::move(options)), shared_(std::make_shared<Shared>()) {
  shared_->model = this;
}

SupportModel::~SupportModel() {
  manualCancel_ = true;
  silentCancel_ = true;
  if (manual_.joinable()) manual_.join();
  if (silent_.joinable()) silent_.join();
  std::lock_guard lock(shared_->mutex);
  shared_->model = nullptr;
}

// Hands a task to the owning thread; it runs only while the model still exists. Callbacks that
// may outlive the model (a flash sequence goes on after its check was cancelled) hold this, never
// the model itself.
struct SupportModel::Poster {
  Dispatcher* dispatcher;
  std::weak_ptr<Shared> weak;

  void operator()(std::function<void(SupportModel&)> task) const {
    dispatcher->Post([weak = weak, task = std::move(task)] {
      std::shared_ptr<Shared> shared = weak.lock();
      if (!shared) return;
      SupportModel* model = nullptr;
      {
        std::lock_guard lock(shared->mutex);
        model = shared->model;
      }
      // The owning thread is the one that destroys the model, so it cannot go while the task runs.
      if (model) task(*model);
    });
  }
  void Status(const std::string& line) const {
    (*this)([line](SupportModel& model) {
      model.lines_.push_back(line);
      if (model.observer_.statusLines) model.observer_.statusLines(model.lines_);
    });
  }
  void Progress(long long done, long long total) const {
    std::shared_ptr<Shared> shared = weak.lock();
    if (!shared) return;
    {
      // Whole percents only: a download reports every few kilobytes.
      std::lock_guard lock(shared->mutex);
      auto percent = [](long long d, long long t) { return t > 0 ? d * 100 / t : d >> 16; };
      if (total == shared->lastTotal && percent(done, total) == percent(shared->lastDone, shared->lastTotal) &&
          done != total)
        return;
      shared->lastDone = done;
      shared->lastTotal = total;
    }
    (*this)([done, total](SupportModel& model) {
      if (model.observer_.progress) model.observer_.progress(done, total);
    });
  }
};

SupportModel::Poster SupportModel::MakePoster() const { return Poster{options_.dispatcher, shared_}; }

void SupportModel::Post(std::function<void(SupportModel&)> task) { MakePoster()(std::move(task)); }

std::string SupportModel::SoftwareLabel() const { return Format(text::kSoftwareVersionLabel, options_.softwareVersion); }

std::string SupportModel::FirmwareLabel() const {
  return Format(text::kFirmwareVersionLabel, options_.firmwareVersion ? options_.firmwareVersion() : std::string());
}

void SupportModel::AddStatusLine(const std::string& line) { MakePoster().Status(line); }

CheckEnvironment SupportModel::Environment(const std::atomic<bool>& cancel) {
  CheckEnvironment env;
  env.dataDir = options_.dataDir;
  env.manifestUrl = options_.manifestUrl;
  env.softwareVersion = options_.softwareVersion;
  env.firmwareVersion = options_.firmwareVersion;
  env.downloader = options_.downloader;
  env.flashed = &flashed_;
  env.cancel = &cancel;
  env.startDelayMs = options_.startDelayMs;
  Poster poster = MakePoster();
  env.status = [poster](const std::string& line) { poster.Status(line); };
  env.progress = [poster](long long done, long long total) { poster.Progress(done, total); };
  return env;
}

bool SupportModel::ManualCheckRunning() const { return manualRunning_; }

void SupportModel::StartManualCheck() {
  if (manualRunning_) return;
  if (manual_.joinable()) manual_.join();  // it has ended already
  lines_.clear();
  if (observer_.statusLines) observer_.statusLines(lines_);
  manualCancel_ = false;
  manualRunning_ = true;
  CheckEnvironment env = Environment(manualCancel_);
  Poster poster = MakePoster();
  env.flash = [this, poster](const std::string& path) {
    FlashReport report;
    report.status = [poster](const std::string& line) { poster.Status(line); };
    report.progress = [poster](long long done, long long total) { poster.Progress(done, total); };
    poster([](SupportModel& model) { model.flashing_ = true; });
    bool ok = FlashFirmwareAndWait(path, *options_.writer, report, manualCancel_);
    poster([](SupportModel& model) { model.flashing_ = false; });
    return ok;
  };
  env.firmwareFlashed = [this](const std::string& version) {
    Post([version](SupportModel& model) {
      if (model.options_.firmwareFlashed) model.options_.firmwareFlashed(version);
    });
  };
  env.refreshVersions = [this] {
    Post([](SupportModel& model) {
      if (model.observer_.versionsChanged) model.observer_.versionsChanged();
    });
  };
  env.handOff = [this] {
    Post([](SupportModel& model) {
      if (model.options_.handOff) model.options_.handOff();
    });
  };
  manual_ = std::thread([this, env, poster] {
    RunManualCheck(env);
    poster.Progress(0, -1);
    manualRunning_ = false;
  });
  // Shown at once, so that it stays ahead of whatever the check thread posts.
  lines_.push_back(text::kChecking);
  if (observer_.statusLines) observer_.statusLines(lines_);
}

void SupportModel::StartSilentCheck() {
  if (silent_.joinable()) return;
  CheckEnvironment env = Environment(silentCancel_);
  env.status = {};
  env.progress = {};
  silent_ = std::thread([this, env] {
    RunSilentCheck(env, [this](const std::string& label) {
      Post([label](SupportModel& model) {
        model.newVersion_ = label;
        if (model.observer_.newVersionLabel) model.observer_.newVersionLabel(label);
      });
    });
  });
}

void SupportModel::FlashFromFile(const std::string& path, std::function<void(bool ok)> done) {
  Poster poster = MakePoster();
  FlashReport report;
  report.status = [poster](const std::string& line) { poster.Status(line); };
  report.progress = [poster](long long doneRecords, long long total) { poster.Progress(doneRecords, total); };
  flashing_ = true;
  std::weak_ptr<Shared> weak = shared_;
  bool submitted = FlashFirmware(path, *options_.writer, report, [this, weak, poster, done](bool ok) {
    // Results of the writer come on the owning thread; the model may be gone by then.
    std::shared_ptr<Shared> shared = weak.lock();
    if (!shared) return;
    {
      std::lock_guard lock(shared->mutex);
      if (!shared->model) return;
    }
    flashing_ = false;
    poster.Progress(0, -1);
    if (done) done(ok);
  });
  if (!submitted) {
    flashing_ = false;
    if (done) done(false);
  }
}

void SupportModel::Stop() {
  manualCancel_ = true;
  silentCancel_ = true;
}

}  // namespace kz::update
