#pragma once
// The two sync threads of a logged-in user and what they do: the upload thread posts the whole
// sync document whenever an upload is requested, the version poll thread asks the service for its
// data version every 10 seconds and downloads and applies the service's copy when it is newer.
// The threads only do HTTP and wait; every database statement and every page action is handed
// to the owning thread (OwnerQueue), where a download is applied as one transaction, the pages are
// reloaded and stored, and their settings are written to the mouse.
//
// Mends of the described design: an upload request that comes while an upload runs is kept, so
// one more upload follows and no saved change is left unsent; at shutdown the last upload is made
// whichever wait the thread was in, gets its second and is then cancelled through its transfer,
// never by killing the thread.
#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "base/event.h"
#include "cloud/api_request.h"
#include "cloud/owner_queue.h"

namespace kz::app {
class Services;
}

namespace kz::cloud {

// The four events of the main window the threads wait on.
struct SyncEvents {
  Event& uploadQuit;     // manual reset
  Event& uploadRequest;  // manual reset
  Event& userAction;     // auto reset: set by writes the user asked for
  Event& pollQuit;       // manual reset
};

// What the account side asks of the window; every call comes on the owning thread. Empty
// functions do nothing (windowVisible: false).
struct AccountHost {
  std::function<void(const std::string& text)> message;  // a message box
  std::function<bool()> windowVisible;
  std::function<void()> showLoginPage;                  // hide the logged-in page, show the login page
  // Show the logged-in page with these values (after a login).
  std::function<void(const std::string& userName, long long score, long long level)> showLoggedInPage;
  // The pages were reloaded from the store for this profile (select its button, redraw).
  std::function<void(int profile)> pagesReloaded;
  // The honor check of the achievement pages, run after the sign-in bookkeeping.
  std::function<void()> honorCheck;
  // A login or page request is under way (wait cursor) or has answered.
  std::function<void(bool busy)> busy;
  // Opens a page address of the service in the browser.
  std::function<bool(const std::string& address)> openAddress;
};

struct SyncOptions {
  std::string apiBase = ApiBase();
  std::chrono::milliseconds uploadPause{2000};     // the upload thread's wait for its quit event
  std::chrono::milliseconds pollInterval{10000};   // between two version polls
  std::chrono::milliseconds shutdownGrace{1000};   // what the last upload gets at shutdown
  std::chrono::milliseconds userActionWait{10};    // how long a forced log-out looks for a user's write
  long long uploadCheckSeconds = 600000;           // the periodic check's age of the last upload
};

class SyncEngine {
 public:
  SyncEngine(app::Services& services, SyncEvents events, AccountHost host, SyncOptions options = {});
  // Shutdown.
  ~SyncEngine();
  SyncEngine(const SyncEngine&) = delete;
  SyncEngine& operator=(const SyncEngine&) = delete;

  // Owning thread: starts the upload and the version poll threads.
  void Start();
  // Owning thread: requests the last upload and sets the quit events (in that order), runs the
  // threads' hand-overs for at most the grace time, then cancels their transfers and joins them.
  // Later hand-overs are dropped. Runs once.
  void Shutdown();
  bool ShutDown() const { return shutDown_; }

  // Owning thread: a worker for one request off the owning thread (a login, a page address). It gets
  // its own transfer, cancelled at shutdown.
  void RunWorker(std::function<void(Transfer& transfer)> work);

  // A worker thread: the download step. The service's copy is applied on the owning thread (one
  // transaction) and the active profile taken from it. On any failure "同步数据失败，请退出重新登录"
  // is shown, the token emptied and the login page shown, unless `token` is no longer the session's
  // (the user logged out or in again meanwhile: then nothing is touched). False on failure.
  // `loggedOut` (when given) tells whether this step logged the user out.
  bool DownloadStep(const std::string& userName, const std::string& token, Transfer& transfer,
                    bool* loggedOut = nullptr);
  // Owning thread: select the active profile (reload all pages), store them, then write every
  // page to the mouse between "Start Write Data " and "Write Data Complete".
  void RefreshAfterDownload();

  // Owning thread: the logged-in page's minute: the online minute and the periodic upload check,
  // while a token is held.
  void OnlineMinute();
  // Owning thread: when the last upload is more than uploadCheckSeconds ago, store all pages and
  // request an upload.
  void PeriodicUploadCheck();

  // A worker thread: empties the token and shows the login page when `token` is still the
  // session's; then the message when a write of the user set the user action flag (looked for at
  // most userActionWait) and the window is visible. `alreadyLoggedOut`: a failed download step
  // did the first part.
  void ForcedLogOut(const std::string& token, bool alreadyLoggedOut = false);

  OwnerQueue& Owner() { return owner_; }
  const AccountHost& Host() const { return host_; }
  const SyncOptions& Options() const { return options_; }
  app::Services& Services() { return services_; }
  // Uploads the service has answered (tests follow the threads by these).
  int UploadsAnswered() const { return uploadsAnswered_.load(); }
  int PollsAnswered() const { return pollsAnswered_.load(); }

 private:
  void UploadThread();
  void PollThread();
  void UploadOnce();
  void PollOnce();
  bool TokenIs(const std::string& token) const;

  app::Services& services_;
  SyncEvents events_;
  AccountHost host_;
  const SyncOptions options_;
  OwnerQueue owner_;
  Transfer uploadTransfer_;
  Transfer pollTransfer_;
  std::thread uploadThread_;
  std::thread pollThread_;
  std::atomic<int> running_{0};
  std::atomic<int> activeWorkers_{0};
  std::atomic<int> uploadsAnswered_{0};
  std::atomic<int> pollsAnswered_{0};
  struct Worker {
    Transfer transfer;
    std::thread thread;
    std::atomic<bool> finished{false};
  };
  std::mutex workersMutex_;
  std::list<Worker> workers_;
  bool started_ = false;
  bool shutDown_ = false;
};

}  // namespace kz::cloud
