#include "app/startup.h"

#include "app/handoff.h"
#include "app/services.h"
#include "app/single_instance.h"
#include "base/paths.h"
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

std::string AutostartPath() { return paths::ConfigHome() + "autostart/kzMouse.desktop"; }

bool WriteAutostartEntry(const std::string& executable) {
  std::string path = AutostartPath();
  if (!paths::MakeDirs(paths::DirName(path), 0700)) return false;
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
  return paths::WriteFileAtomic(path, content, 0644);
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

  SingleInstance instance(paths::RuntimeDir());
  if (!instance.TryAcquire()) {
    SingleInstance::AskFirstToShow(paths::RuntimeDir());
    return 0;
  }

  values.dataDir = paths::DataDir();
  paths::MakeDirs(values.dataDir, 0700);
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

  store::Database& db = services.db;
  if (OpenStoreAndUser(services, kWindowBusyTimeoutMs) == StoreResult::kNoDatabase) return 1;

  if (hooks.runMainWindow) hooks.runMainWindow(instance, services);

  if (db.IsOpen()) store::RememberAtExit(db, services.session.UserName(), services.Profiles().ActiveProfile());
  return 0;
}

}  // namespace kz::app
