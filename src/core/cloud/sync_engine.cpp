#include "cloud/sync_engine.h"

#include "app/services.h"
#include "base/constants.h"
#include "base/log.h"
#include "cloud/sync_api.h"
#include "cloud/sync_document.h"
#include "profile/profile_session.h"

namespace kz::cloud {
namespace {

bool LoggedIn(const SessionValues& values) { return !values.token.empty() && values.userName != kLocalUserName; }

}  // namespace

SyncEngine::SyncEngine(app::Services& services, SyncEvents events, AccountHost host, SyncOptions options)
    : services_(services), events_(events), host_(std::move(host)), options_(std::move(options)),
      owner_(services.dispatcher) {}

SyncEngine::~SyncEngine() { Shutdown(); }

void SyncEngine::Start() {
  if (started_ || shutDown_) return;
  started_ = true;
  running_ = 2;
  uploadThread_ = std::thread([this] { UploadThread(); });
  pollThread_ = std::thread([this] { PollThread(); });
}

void SyncEngine::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  events_.uploadRequest.Set();
  events_.uploadQuit.Set();
  events_.pollQuit.Set();
  owner_.Pump([&] { return running_.load() == 0 && activeWorkers_.load() == 0; }, options_.shutdownGrace);
  // What is still under way gets no more time: cancelled transfers end within about a second.
  uploadTransfer_.Cancel();
  pollTransfer_.Cancel();
  {
    std::lock_guard lock(workersMutex_);
    for (Worker& worker : workers_) worker.transfer.Cancel();
  }
  owner_.Close();
  if (uploadThread_.joinable()) uploadThread_.join();
  if (pollThread_.joinable()) pollThread_.join();
  std::list<Worker> workers;
  {
    std::lock_guard lock(workersMutex_);
    workers.splice(workers.end(), workers_);
  }
  for (Worker& worker : workers)
    if (worker.thread.joinable()) worker.thread.join();
}

void SyncEngine::RunWorker(std::function<void(Transfer& transfer)> work) {
  if (shutDown_) return;
  std::lock_guard lock(workersMutex_);
  // Workers that have ended are joined here, so the list holds only the few under way.
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->finished.load()) {
      it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
  Worker& worker = workers_.emplace_back();
  activeWorkers_.fetch_add(1);
  worker.thread = std::thread([this, &worker, work = std::move(work)] {
    work(worker.transfer);
    worker.finished = true;
    activeWorkers_.fetch_sub(1);
    owner_.Notify();
  });
}

bool SyncEngine::TokenIs(const std::string& token) const { return services_.session.Snapshot().token == token; }

bool SyncEngine::DownloadStep(const std::string& userName, const std::string& token, Transfer& transfer,
                              bool* loggedOut) {
  DownloadAnswer answer = GetDocument(userName, token, &transfer, options_.apiBase);
  bool applied = false;
  owner_.Call([&] {
    if (!TokenIs(token)) return;
    std::string problem = answer.outcome == CallOutcome::kNoConnection ? "no connection" : "refused";
    if (answer.outcome == CallOutcome::kOk) {
      int profile = services_.Profiles().ActiveProfile();
      applied = ApplyDownloadedDocument(services_.db, answer.document, userName, profile, &problem);
      if (applied) services_.Profiles().SetActiveProfile(profile);
    }
    if (applied) return;
    Log("download failed: %s", problem.c_str());
    if (host_.message) host_.message(text::kSyncFailedQuit);
    services_.session.Update([&](SessionValues& v) {
      if (v.token == token) v.token.clear();
    });
    if (loggedOut) *loggedOut = true;
    if (host_.showLoginPage) host_.showLoginPage();
  });
  return applied;
}

void SyncEngine::RefreshAfterDownload() {
  profile::ProfileSession& profiles = services_.Profiles();
  profiles.SelectProfile(profiles.ActiveProfile());
  profiles.SaveAll();
  if (host_.pagesReloaded) host_.pagesReloaded(profiles.ActiveProfile());
  profiles.WriteAll({});
}

void SyncEngine::OnlineMinute() {
  const SessionValues values = services_.session.Snapshot();
  if (values.token.empty()) return;
  services_.db.Execute("update kz_user set online_time_min=online_time_min+1 where user_name=?", {values.userName});
  PeriodicUploadCheck();
}

void SyncEngine::PeriodicUploadCheck() {
  const SessionValues values = services_.session.Snapshot();
  if (values.token.empty()) return;
  const std::time_t now = services_.clock.now();
  if (static_cast<long long>(now) - static_cast<long long>(values.lastUploadTime) <= options_.uploadCheckSeconds)
    return;
  services_.Profiles().SaveAll();
  services_.session.SetLastUploadTime(now);
  events_.uploadRequest.Set();
}

void SyncEngine::ForcedLogOut(const std::string& token, bool alreadyLoggedOut) {
  bool loggedOut = alreadyLoggedOut;
  if (!alreadyLoggedOut) owner_.Call([&] {
    services_.session.Update([&](SessionValues& v) {
      if (v.token == token && !token.empty()) {
        v.token.clear();
        loggedOut = true;
      }
    });
    if (loggedOut && host_.showLoginPage) host_.showLoginPage();
  });
  if (!loggedOut) return;
  Log("sync refused: logged out");
  if (!events_.userAction.Wait(options_.userActionWait)) return;
  owner_.Post([this] {
    if (host_.windowVisible && host_.windowVisible() && host_.message) host_.message(text::kSyncFailed);
  });
}

void SyncEngine::UploadThread() {
  for (;;) {
    if (events_.uploadQuit.Wait(options_.uploadPause)) {
      // The request the window sets on closing is honoured whichever wait it found the thread in.
      if (events_.uploadRequest.IsSet()) UploadOnce();
      break;
    }
    while (!events_.uploadRequest.Wait(std::chrono::milliseconds(1000)))
      if (events_.uploadQuit.IsSet()) break;
    if (!events_.uploadRequest.IsSet()) break;
    UploadOnce();
  }
  running_.fetch_sub(1);
  owner_.Notify();
}

void SyncEngine::UploadOnce() {
  // Cleared before the document is read: a request that comes while this upload runs sets it
  // again, and the next round sends what that request saved.
  events_.uploadRequest.Clear();
  const SessionValues values = services_.session.Snapshot();
  if (!LoggedIn(values)) return;
  std::string document;
  bool built = false;
  if (!owner_.Call([&] {
        std::string problem;
        built = TokenIs(values.token) && BuildSyncDocumentText(services_.db, values.userName, document, &problem);
        if (!built && !problem.empty()) Log("upload: cannot read the rows: %s", problem.c_str());
      }) ||
      !built)
    return;
  const UploadAnswer answer = PostDocument(values.userName, values.token, document, &uploadTransfer_, options_.apiBase);
  if (answer.outcome == CallOutcome::kNoConnection) return;
  uploadsAnswered_.fetch_add(1);
  if (answer.outcome == CallOutcome::kRefused) {
    ForcedLogOut(values.token);
    return;
  }
  owner_.Call([&] {
    if (!TokenIs(values.token)) return;
    services_.session.SetLastUploadTime(services_.clock.now());
    StoreSyncVersion(services_.db, values.userName, answer.version);
    services_.session.Update([&](SessionValues& v) { v.syncLast = answer.version; });
  });
}

void SyncEngine::PollThread() {
  while (!events_.pollQuit.Wait(options_.pollInterval)) PollOnce();
  running_.fetch_sub(1);
  owner_.Notify();
}

void SyncEngine::PollOnce() {
  const SessionValues values = services_.session.Snapshot();
  if (!LoggedIn(values)) return;
  const VersionAnswer answer = GetServiceVersion(values.userName, values.token, &pollTransfer_, options_.apiBase);
  if (answer.outcome == CallOutcome::kNoConnection) return;
  pollsAnswered_.fetch_add(1);
  if (answer.outcome == CallOutcome::kRefused) {
    ForcedLogOut(values.token);
    return;
  }
  if (values.syncLast >= answer.version) return;
  bool loggedOut = false;
  if (!DownloadStep(values.userName, values.token, pollTransfer_, &loggedOut)) {
    if (loggedOut) ForcedLogOut(values.token, true);
    return;
  }
  owner_.Call([&] {
    if (!TokenIs(values.token)) return;
    StoreSyncVersion(services_.db, values.userName, answer.version);
    services_.session.Update([&](SessionValues& v) { v.syncLast = answer.version; });
    RefreshAfterDownload();
  });
}

}  // namespace kz::cloud
