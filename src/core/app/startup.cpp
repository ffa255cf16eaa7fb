#include "app/startup.h"

#include "base/app_state.h"
#include "app/handoff.h"
#include "base/paths.h"
#include "app/single_instance.h"
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
  AppState& app = App();
  app.syncLast = 0;
  const std::string commandLine = CommandLineOf(args);
  app.programDir = paths::ProgramDir();

  if (commandLine.find("update") != std::string::npos) {
    if (IsUserAdmin())
      StartUpdater(app.programDir);
    else
      RelaunchElevated("update");
    return 0;
  }

  SingleInstance instance(paths::RuntimeDir());
  if (!instance.TryAcquire()) {
    SingleInstance::AskFirstToShow(paths::RuntimeDir());
    return 0;
  }

  app.ResetDefaults();
  app.dataDir = paths::DataDir();
  paths::MakeDirs(app.dataDir, 0700);
  WriteAutostartEntry(paths::ExecutablePath());

  if (ReplacePendingUpdater(app.programDir)) return 0;

  store::Database& db = store::Db();
  if (!store::OpenOrCreate(db, app.dataDir, app.programDir)) return 1;
  long long ignoredSyncLast = 0;  // the local user is never synchronised: stays 0 until a login
  store::LoadCurrentUser(db, store::kPlaceholderPassword, ignoredSyncLast);

  if (hooks.runMainWindow) hooks.runMainWindow(instance);

  if (db.IsOpen()) store::RememberAtExit(db, app.userName, app.activeProfile);
  return 0;
}

}  // namespace kz::app
