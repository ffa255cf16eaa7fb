#pragma once
// The window program's side of start-up: the window system, message boxes, the main window, and
// closing on SIGTERM / SIGINT or a show request of a later start.

namespace kzgui {

int RunGuiApplication(int argc, char** argv);

}  // namespace kzgui
