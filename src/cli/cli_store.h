#pragma once
// The database as kzmousectl's store commands open it (profile, macro, button): the services of
// one run of the tool, and the current user loaded the way the window program starts.
#include <memory>
#include <string>

#include "app/services.h"
#include "base/dispatcher.h"
#include "cli_commands.h"

namespace kz::cli {

// Writes go out on the calling thread (the tool has no window to keep responsive) and the
// desktop's pointer settings stay in memory: the tool stores them, it does not apply them to the
// desktop it happens to run in.
std::unique_ptr<app::Services> MakeToolServices(QueueDispatcher& dispatcher);

// Opens (or creates) the database in the data folder and loads the current user; false after
// telling the user why.
bool OpenToolStore(const Invocation& call, app::Services& services);

// Whether OpenToolStore would find a database rather than make one. A refused command must not
// leave a new database behind, so checks that need stored rows are settled without opening it
// when there is none: then there are no sets, macros or profile rows yet.
bool ToolStoreExists(const app::Services& services);

// Sends the session's active profile to the mouse (every page, the mouse's pauses between them)
// and says so; the exit code.
int WriteProfile(const Invocation& call, profile::ProfileSession& session);

// Texts from the store as valid UTF-8 for JSON output (a stray byte becomes U+FFFD): the
// database takes any bytes as a name, and one bad byte would make the whole document unreadable.
std::string ValidUtf8(const std::string& text);

// Arguments quoted in messages, with invalid UTF-8 and control bytes as \xNN (cli_device.cpp).
std::string ShowableText(const std::string& text);

}  // namespace kz::cli
