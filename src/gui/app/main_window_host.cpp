#include "gui/app/main_window_host.h"

#include "gui/app/language.h"
#include "honor/honor.h"

#include "app/services.h"
#include "gui/app/cdlg_main.h"

namespace kzgui {

std::unique_ptr<QWidget> CreateMainWindow(kz::app::Services& services) {
  const std::string& commandLine = services.values.commandLine;
  InstallLanguage(ChosenLanguage(services.values.dataDir));
  CDlgMain::Options options;
  options.services = &services;
  options.pages = CDlgMain::DefaultPages();
  // After a sign-in the user's honors are checked at once, as the honor page's timer would.
  options.honorCheck = [&services] {
    kz::honor::CheckAll(services.db, services.session.UserName(), services.clock.now());
  };
  auto window = std::make_unique<CDlgMain>(std::move(options));
  // Started hidden: minimised now, gone to the tray at the first device-timer tick.
  if (commandLine.find("/hide") != std::string::npos)
    window->showMinimized();
  else
    window->show();
  return window;
}

void ShowMainWindow(QWidget* window) {
  if (auto* main = qobject_cast<CDlgMain*>(window)) {
    main->Restore();
    return;
  }
  window->showNormal();
  window->raise();
  window->activateWindow();
}

}  // namespace kzgui
