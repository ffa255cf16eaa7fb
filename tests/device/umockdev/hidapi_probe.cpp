// Runs one exchange with the mouse through the real hidapi backend, for a test that starts it under
// umockdev-run with an emulated hidraw node and a script of the expected writes and replies:
// enumerate, open, a reader thread blocked in its read while the main thread writes "03F9", the
// status report, a second write, then closing the connection, which must end the blocked read.
// Prints what happened, one fact per line; exit code 0 when every step went as expected.
#include "base/log.h"
#include "device/channel.h"
#include "device/hidapi_backend.h"
#include "device/hidm.h"
#include "device/presence.h"
#include "device/status_report.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace kz::device;

int main() {
  alarm(30);  // an exchange that hangs fails the test instead of stalling it
  if (const char* log = std::getenv("KZ_PROBE_LOG")) kz::log::SetPath(log);
  auto backend = std::make_shared<HidapiBackend>();
  InstallBackend(backend);

  for (const auto& id : PresentMouseIdentifiers()) std::printf("present %s\n", id.c_str());
  if (!OpenConnection()) {
    char text[1024];
    HIDM_GetErrorDescript(LastHidError(), text, sizeof text);
    std::printf("open failed: %s\n", text);
    return 1;
  }
  std::printf("opened %s\n", backend->OpenPath().c_str());

  std::mutex mutex;
  std::condition_variable changed;
  int first = -1, second = -1;
  bool reading = false;
  unsigned char report[1024] = {};
  std::thread reader([&] {
    {
      std::lock_guard lock(mutex);
      reading = true;
    }
    changed.notify_all();
    int n = HIDM_Read(report, sizeof report);
    {
      std::lock_guard lock(mutex);
      first = n;
    }
    changed.notify_all();
    unsigned char more[1024];
    int m = HIDM_Read(more, sizeof more);  // blocks until the connection is closed
    std::lock_guard lock(mutex);
    second = m;
  });
  {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return reading; });
  }
  bool wrote = SendCommandText("03F9");
  std::printf("write 03F9 %s\n", wrote ? "ok" : "failed");
  {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return first != -1; });
  }
  std::printf("read %d: %s\n", first, first > 0 ? kz::HexDumpLower(report, first).c_str() : "");
  auto status = StatusReport::Decode(report, first);
  if (status) std::printf("firmware %s dpi %d\n", status->FirmwareText().c_str(), status->DpiOfLevel(4));
  bool wrote2 = SendCommandText("03 10 04 01 20 40 80 A4");
  std::printf("write dpi %s\n", wrote2 ? "ok" : "failed");
  CloseConnection();
  reader.join();
  std::printf("after close read %d\n", second);
  InstallBackend(nullptr);
  return wrote && wrote2 && status && second == 0 ? 0 : 1;
}
