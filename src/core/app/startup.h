#pragma once
// The start and the end of the window program, in this order: update hand-off, single instance,
// process-wide values, data folder, autostart entry, pending updater, database, current user,
// main window; at the end the last user and active profile are remembered.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/dispatcher.h"
#include "profile/profile_session.h"

namespace kz::app {

class Services;
class SingleInstance;

// The window connection's wait for another connection's lock: long enough for a short write of
// the command-line tool, short enough that the window never seems frozen.
inline constexpr int kWindowBusyTimeoutMs = 250;

struct StartupHooks {
  // Makes the dispatcher to the window thread (starting the window system when it needs one);
  // without it, a queue that nobody runs.
  std::function<std::unique_ptr<Dispatcher>()> makeDispatcher;
  // Runs the main window until it closes. Gets the single-instance object so the window can
  // answer show requests of later starts, and the services of the run.
  std::function<void(SingleInstance& instance, Services& services)> runMainWindow;
  // Which slots of the window hold which pages.
  profile::ProfileSession::Options pages;
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
