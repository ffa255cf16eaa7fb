#include "gui/app/main_window_host.h"

namespace kzgui {

std::unique_ptr<QWidget> CreateMainWindow(const std::string& commandLine) {
  auto window = std::make_unique<QWidget>();
  window->setWindowTitle("KZ Mouse");
  window->resize(1024, 768);
  if (commandLine.find("/hide") == std::string::npos) window->show();
  return window;
}

void ShowMainWindow(QWidget* window) {
  window->showNormal();
  window->raise();
  window->activateWindow();
}

}  // namespace kzgui
