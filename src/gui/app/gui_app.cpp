#include "gui/app/gui_app.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QWidget>
#include <memory>
#include <cstdlib>
#include <unistd.h>

#include "app/services.h"
#include "gui/kit/tr.h"
#include "gui/app/cdlg_main.h"
#include "gui/app/qt_dispatcher.h"
#include "gui/app/main_window_host.h"
#include "base/notify.h"
#include "app/single_instance.h"
#include "app/startup.h"

namespace kzgui {
namespace {

int gArgc = 0;
char** gArgv = nullptr;
// Destroyed before main returns: Qt must not be torn down by static destructors.
std::unique_ptr<QApplication> gApp;

// The window system starts only when the main window is due (a second start or an update hand-off
// never needs it), or earlier when a message box has to be shown.
QApplication& EnsureApplication() {
  if (!QApplication::instance()) {
    gApp = std::make_unique<QApplication>(gArgc, gArgv);
    QApplication::setApplicationName("kzMouse");
    QApplication::setQuitOnLastWindowClosed(false);
  }
  return *static_cast<QApplication*>(QApplication::instance());
}

void RunMainWindow(kz::app::SingleInstance& instance, kz::app::Services& services) {
  QApplication& app = EnsureApplication();
  std::unique_ptr<QWidget> window = CreateMainWindow(services);
  instance.Listen();

  QSocketNotifier showNotifier(instance.ListenFd(), QSocketNotifier::Read);
  showNotifier.setEnabled(instance.ListenFd() >= 0);
  QObject::connect(&showNotifier, &QSocketNotifier::activated, [&] {
    if (instance.TakeShowRequest()) ShowMainWindow(window.get());
  });

  int termFd = kz::app::InstallTerminationPipe();
  QSocketNotifier termNotifier(termFd, QSocketNotifier::Read);
  termNotifier.setEnabled(termFd >= 0);
  QObject::connect(&termNotifier, &QSocketNotifier::activated, [&] {
    char drain[16];
    while (::read(termFd, drain, sizeof drain) > 0) {
    }
    app.quit();  // the same end as the quit button: the window closes, then shutdown runs
  });

  if (auto* main = qobject_cast<CDlgMain*>(window.get()))
    QObject::connect(main, &CDlgMain::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);
  app.exec();
  window.reset();
}

}  // namespace

// A message box from start-up (before any dispatcher) comes on the main thread; later ones from
// worker threads arrive through the dispatcher.
void ShowMessageBox(const std::string& text) {
  EnsureApplication();
  QMessageBox::information(nullptr, "KZ Mouse", Tr(text));
}

int RunGuiApplication(int argc, char** argv) {
  gArgc = argc;
  gArgv = argv;
  kz::SetMessageHandler(ShowMessageBox);
  std::vector<std::string> args(argv, argv + argc);
  // The simulated mouse stands in for the real one everywhere below the window.
  for (const auto& arg : args)
    if (arg == "--simulate") ::setenv("KZMOUSE_DEVICE", "sim", 1);
  kz::app::StartupHooks hooks;
  hooks.makeDispatcher = [] () -> std::unique_ptr<kz::Dispatcher> {
    EnsureApplication();
    auto dispatcher = std::make_unique<QtDispatcher>();
    kz::SetMessageHandler(ShowMessageBox, dispatcher.get());
    return dispatcher;
  };
  hooks.runMainWindow = [&](kz::app::SingleInstance& instance, kz::app::Services& services) {
    RunMainWindow(instance, services);
    kz::SetMessageHandler(ShowMessageBox);  // the dispatcher goes with the services
  };
  int code = kz::app::RunApplication(args, hooks);
  kz::SetMessageHandler(nullptr);
  gApp.reset();
  return code;
}

}  // namespace kzgui
