// How long the window thread is away from its event loop while status reports arrive every 20 ms
// and the button write-back carries a macro on every button (seconds of writes): the figure that
// says whether the window freezes. `--direct` writes on the window thread instead of the writer
// thread, for comparison.
//
//   build/window_turns [--direct] [--reports N]
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/services.h"
#include "app/startup.h"
#include "base/log.h"
#include "device/device_writer.h"
#include "device/sim_mouse.h"
#include "device/status_report.h"
#include "gui/app/cdlg_main.h"
#include "gui/app/qt_dispatcher.h"
#include "macro/macro_event.h"

int main(int argc, char** argv) {
  bool direct = false;
  int reportCount = 50;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--direct") == 0) direct = true;
    if (std::strcmp(argv[i], "--reports") == 0 && i + 1 < argc) reportCount = std::atoi(argv[++i]);
  }
  char folder[] = "/tmp/kz-window-turns-XXXXXX";
  if (!::mkdtemp(folder)) return 1;
  const std::string dir = std::string(folder) + "/";
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  kz::log::SetPath(dir + "kz_log.txt");
  QApplication app(argc, argv);

  auto mouse = std::make_shared<kz::device::SimulatedMouse>();
  kzgui::QtDispatcher dispatcher;
  kz::app::ServiceParts parts;
  parts.values.dataDir = dir;
  parts.values.programDir = dir;
  parts.dispatcher = &dispatcher;
  parts.backend = mouse;
  if (direct) parts.writer = std::make_unique<kz::device::DirectWriter>(kz::device::ChannelLink());
  kz::app::Services services(std::move(parts));
  if (kz::app::OpenStoreAndUser(services, kz::app::kWindowBusyTimeoutMs) != kz::app::StoreResult::kOk) return 1;
  for (int number = 3; number <= 11; ++number) {
    std::vector<kz::macro::MacroEvent> events;
    for (int i = 0; i < 60; ++i) events.push_back({0x41 + number, i % 2 == 0, 12});
    const std::string guid = "{MACRO-" + std::to_string(number) + "}";
    services.db.Execute("insert into macro_set_detail2(user_name, mset_guid, macro_guid, macro_name, macro_value) "
                        "values('CommonUser', '{SET}', ?, 'm', ?)",
                        {guid, kz::macro::FormatMacroValue(events)});
    services.Profiles().Buttons().AssignMacro(number, guid);
  }
  services.Profiles().SaveAll();

  kzgui::CDlgMain::Options options;
  options.services = &services;
  options.pages = kzgui::CDlgMain::DefaultPages();
  options.useTray = false;
  kzgui::CDlgMain window(std::move(options));
  window.show();
  // Only the reports of this run reach the window: the device timer would start a reader of its own.
  for (QTimer* timer : window.findChildren<QTimer*>())
    if (timer->isSingleShot() && timer->interval() == kzgui::CDlgMain::kDeviceTimerMs) timer->stop();

  std::vector<unsigned char> bytes = mouse->StatusReport();
  const kz::device::StatusReport report = *kz::device::StatusReport::Decode(bytes.data(), static_cast<int>(bytes.size()));
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0;
  std::vector<qint64> gaps;
  QTimer turns;
  turns.setTimerType(Qt::PreciseTimer);
  turns.setInterval(1);
  QObject::connect(&turns, &QTimer::timeout, [&] {
    gaps.push_back(clock.elapsed() - last);
    last = clock.elapsed();
  });
  int delivered = 0;
  QTimer reports;
  reports.setInterval(20);
  QObject::connect(&reports, &QTimer::timeout, [&] {
    if (delivered < reportCount) {
      ++delivered;
      window.HandleStatusReport(report);
      return;
    }
    auto* writer = dynamic_cast<kz::device::DeviceWriter*>(&services.Writer());
    if (writer && !writer->Idle()) return;
    app.quit();
  });
  mouse->ClearTrace();
  // Measured once the window has been shown and painted the first time.
  QTimer::singleShot(300, [&] {
    last = clock.elapsed();
    turns.start();
    reports.start();
  });
  app.exec();

  std::sort(gaps.begin(), gaps.end());
  auto trace = mouse->Trace();
  long maps = std::count_if(trace.begin(), trace.end(), [](const std::string& l) { return l.rfind("03 11 ", 0) == 0; });
  std::printf("%s writer, %d status reports, macros on buttons 3-11\n", direct ? "window-thread" : "background",
              reportCount);
  std::printf("  event-loop turns: %zu, longest gap %lld ms, 99th percentile %lld ms, median %lld ms\n", gaps.size(),
              gaps.empty() ? 0LL : static_cast<long long>(gaps.back()),
              gaps.empty() ? 0LL : static_cast<long long>(gaps[gaps.size() * 99 / 100]),
              gaps.empty() ? 0LL : static_cast<long long>(gaps[gaps.size() / 2]));
  std::printf("  commands sent: %zu, button map sent %ld times, total %lld ms\n", trace.size(), maps,
              static_cast<long long>(clock.elapsed()));
  std::string cleanup = "rm -rf '" + dir + "'";
  return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
