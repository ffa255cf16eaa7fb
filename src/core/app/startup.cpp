#include "app/startup.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

#include "app/handoff.h"
#include "app/services.h"
#include "app/single_instance.h"
#include "base/notify.h"
#include "base/paths.h"
#include "device/sim_control.h"
#include "device/sim_mouse.h"
#include "store/schema.h"
#include "store/users.h"

namespace kz::app {
namespace {

// Desktop-entry quoting of one Exec argument.
std::string QuoteExecArgument(const std::string& text) {
  if (text.find_first_of(" \t\"'\\`$<>~|&;*?#()") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::string CommandLineOf(const std::vector<std::string>& args) {
  std::string line;
  for (size_t i = 1; i < args.size(); ++i) {
    if (i > 1) line += ' ';
    line += args[i];
  }
  return line;
}

std::string AutostartPath() {
  std::string config = paths::ConfigHome();
  return config.empty() ? config : config + "autostart/kzMouse.desktop";
}

bool WriteAutostartEntry(const std::string& executable) {
  std::string path = AutostartPath();
  if (path.empty() || !paths::MakeDirs(paths::DirName(path), 0700)) return false;
  std::string exec = QuoteExecArgument(executable);
  // "%" is the field-code escape of Exec lines.
  std::string escaped;
  for (char c : exec) escaped += c == '%' ? std::string("%%") : std::string(1, c);
  std::string content =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=KZ Mouse\n"
      "Icon=kzmouse\n"
      "X-GNOME-Autostart-enabled=true\n"
      "Exec=" + escaped + " /hide\n";
  // Owner-only like every file of the program; the session reads it as this user. The entry is
  // the program's own and rewritten at every start, so whatever stands at its path (a link too)
  // is replaced by the rename: the link goes, whatever it pointed to is never written.
  return paths::WriteFileAtomic(path, content, 0600);
}

int RunApplication(const std::vector<std::string>& args, const StartupHooks& hooks) {
  ProcessValues values;
  values.commandLine = CommandLineOf(args);
  values.programDir = paths::ProgramDir();

  if (values.commandLine.find("update") != std::string::npos) {
    if (IsUserAdmin())
      StartUpdater(values.programDir);
    else
      RelaunchElevated("update");
    return 0;
  }

  // The lock's folder is decided once, here, before the window system starts. A runtime folder that
  // is named but missing (or relative) is not used; the window system would make it on its first
  // look, and the next start would then lock there and run as well. So it is dropped from this
  // process, and the window system goes to its own fallback instead.
  const std::string lockDir = paths::RuntimeDir();
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
    struct stat st{};
    if (runtime[0] != '/' || (::lstat(runtime, &st) != 0 && errno == ENOENT)) ::unsetenv("XDG_RUNTIME_DIR");
  }
  SingleInstance instance(lockDir);
  if (!instance.TryAcquire()) {
    if (std::string problem = instance.Problem(); !problem.empty()) {
      std::fprintf(stderr, "kzMouse: %s\n", problem.c_str());
      ShowMessage(problem);
      return 1;
    }
    SingleInstance::AskFirstToShow(lockDir);
    return 0;
  }

  values.dataDir = paths::DataDir();
  // A data folder that cannot hold the database is said as such, not as the database's own
  // "unable to open database file" later.
  std::string problem =
      values.dataDir.empty() ? paths::NoHomeText() : paths::PathProblem(values.dataDir + store::kDatabaseFileName);
  if (!problem.empty()) {
    std::fprintf(stderr, "kzMouse: %s\n", problem.c_str());
    ShowMessage(problem);
    return 1;
  }
  paths::MakeOwnDir(values.dataDir);  // any other failure is the database's to report, as it always was
  WriteAutostartEntry(paths::ExecutablePath());

  if (ReplacePendingUpdater(values.programDir)) return 0;

  std::unique_ptr<Dispatcher> dispatcher =
      hooks.makeDispatcher ? hooks.makeDispatcher() : std::make_unique<QueueDispatcher>();
  ServiceParts parts;
  parts.values = values;
  parts.dispatcher = dispatcher.get();
  parts.backend = device::MakeBackend(device::SimulationRequested());
  parts.pointer = DesktopPointerSettingsFor(values.dataDir);
  parts.pages = hooks.pages;
  Services services(std::move(parts));
  // KZMOUSE_SIM_CONTROL lets demos and tests outside the process drive the simulated mouse.
  std::unique_ptr<device::SimControl> simControl;
  if (auto simulated = std::dynamic_pointer_cast<device::SimulatedMouse>(services.backend))
    simControl = device::SimControl::FromEnvironment(simulated);

  store::Database& db = services.db;
  if (OpenStoreAndUser(services, kWindowBusyTimeoutMs) == StoreResult::kNoDatabase) return 1;

  if (hooks.runMainWindow) hooks.runMainWindow(instance, services);

  if (db.IsOpen()) store::RememberAtExit(db, services.session.UserName(), services.Profiles().ActiveProfile());
  return 0;
}

}  // namespace kz::app
