#pragma once
// Makes the program's main window; the start-up code knows only these two calls.
#include <QWidget>
#include <memory>
#include <string>

namespace kzgui {

std::unique_ptr<QWidget> CreateMainWindow(const std::string& commandLine);
// Brings the window back from the tray or from behind other windows.
void ShowMainWindow(QWidget* window);

}  // namespace kzgui
