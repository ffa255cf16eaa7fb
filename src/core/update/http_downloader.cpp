// The program's downloader: the cloud folder's HTTP download, with the update flows' cancel flag
// turned into a cancel of the transfer.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "cloud/http_transfer.h"
#include "update/downloader.h"

namespace kz::update {
namespace {

class HttpDownloader : public Downloader {
 public:
  DownloadResult Download(const std::string& url, const std::string& path, const Progress& progress,
                          const std::atomic<bool>& cancel) override {
    cloud::Transfer transfer;
    if (cancel.load()) transfer.Cancel();
    // The flag is raised by another thread at any time; a watcher passes it on to the transfer.
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread watcher([&] {
      std::unique_lock lock(mutex);
      while (!done) {
        if (cancel.load()) {
          transfer.Cancel();
          return;
        }
        finished.wait_for(lock, std::chrono::milliseconds(50));
      }
    });
    cloud::ProgressCallback report;
    if (progress) report = [&progress](long long total, long long received) { progress(received, total); };
    const bool transferred = cloud::HttpDownloadToFile(url, path, report, &transfer);
    {
      std::lock_guard lock(mutex);
      done = true;
    }
    finished.notify_all();
    watcher.join();
    return {transferred, static_cast<int>(transfer.HttpStatus())};
  }
};

}  // namespace

std::unique_ptr<Downloader> MakeHttpDownloader() { return std::make_unique<HttpDownloader>(); }

}  // namespace kz::update
