#pragma once
// Handing the process over to the updater program, and running with raised rights.
#include <string>

namespace kz::app {

// True when the process runs with root rights (effective uid 0).
bool IsUserAdmin();

// For a non-root process: runs this executable again through pkexec with `parameters` (split at
// blanks) and ends this process with exit code 1 once the raised copy has run. Returns when the
// raise is refused or pkexec is missing, and at once for root.
void RelaunchElevated(const std::string& parameters);

// Starts programDir + "kz_update" with no arguments in a session of its own. Returns its process
// id, or 0 after telling the user "无法启动更新程序，错误码：%d" with the system error code.
int StartUpdater(const std::string& programDir);

// Installs a downloaded updater ("kz_update_new" in the program folder) over "kz_update", deletes
// the download and starts the updater: true then, and start-up must end. Without the download, or
// when the copy fails, false. Without root rights where the folder needs them, asks for them first.
bool ReplacePendingUpdater(const std::string& programDir);

// After an update was extracted into "Update": starts the updater and ends this process with exit
// code 1, whatever came of the start (the updater waits before it copies, so this process is gone
// by then). The caller has closed the database and the mouse's channel. Where the program folder
// is the user's own the updater needs no raised rights and is started directly; otherwise this
// program runs again raised with "update", which starts it.
[[noreturn]] void HandOverToUpdater(const std::string& programDir);

inline constexpr const char* kUpdaterName = "kz_update";
inline constexpr const char* kNewUpdaterName = "kz_update_new";
inline constexpr const char* kMainProgramName = "kzMouse";

}  // namespace kz::app
