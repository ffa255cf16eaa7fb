#pragma once
// The start and the end of the window program, in this order: update hand-off, single instance,
// process-wide values, data folder, autostart entry, pending updater, database, current user,
// main window; at the end the last user and active profile are remembered.
#include <functional>
#include <string>
#include <vector>

namespace kz::app {

class SingleInstance;

struct StartupHooks {
  // Runs the main window until it closes (starting the window system first). Gets the
  // single-instance object so the window can answer show requests of later starts.
  std::function<void(SingleInstance& instance)> runMainWindow;
};

// Joins the arguments after the program name with blanks: the command line searched for
// "update" and "/hide".
std::string CommandLineOf(const std::vector<std::string>& args);

// The whole life of the window program. Returns the process exit code.
int RunApplication(const std::vector<std::string>& args, const StartupHooks& hooks);

// Writes $XDG_CONFIG_HOME/autostart/kzMouse.desktop so the program starts hidden at log-in.
bool WriteAutostartEntry(const std::string& executable);
std::string AutostartPath();

}  // namespace kz::app
