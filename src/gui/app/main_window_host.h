#pragma once
// Makes the program's main window; the start-up code knows only these two calls.
#include <QWidget>
#include <memory>
#include <string>

namespace kz::app {
class Services;
}

namespace kzgui {

// The window over the run's services; "/hide" in their command line starts it minimised.
std::unique_ptr<QWidget> CreateMainWindow(kz::app::Services& services);
// Brings the window back from the tray or from behind other windows.
void ShowMainWindow(QWidget* window);

}  // namespace kzgui
