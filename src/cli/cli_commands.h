#pragma once
// The command table of kzmousectl. Each source file of the tool registers its commands with a
// namespace-scope
//
//   static const bool registered = kz::cli::RegisterCommand({"name", "ARGS", "summary", &Run});
//
// and main.cpp dispatches to them. A command gets the arguments after its name (global options
// such as --simulate already removed) and returns the process exit code.
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kz::device {
class SimulatedMouse;
}

namespace kz::cli {

// Exit codes shared by all commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;     // anything else that went wrong
inline constexpr int kExitUsage = 2;       // bad command line
inline constexpr int kExitNoMouse = 3;     // no mouse present
inline constexpr int kExitWriteFailed = 4; // the mouse did not take a command
inline constexpr int kExitNoReport = 5;    // no status report came back

struct Invocation {
  std::vector<std::string> args;  // after the command name
  bool simulate = false;          // --simulate or KZMOUSE_DEVICE=sim
  // The in-process simulated mouse when simulating (its state is kept in a file across runs).
  std::shared_ptr<device::SimulatedMouse> simulatedMouse;
  std::ostream* out = nullptr;
  std::ostream* err = nullptr;
};

struct Command {
  std::string name;
  std::string usage;    // the arguments, e.g. "[--json]" or "TEXT"
  std::string summary;  // one line
  std::function<int(const Invocation&)> run;
};

// Adds a command; false when the name is taken (the first one stays).
bool RegisterCommand(Command command);
// The same for a command with a help text of its own: "NAME --help" and "NAME help" print it.
bool RegisterCommandWithHelp(Command command, std::string help);
// Adds an action to a command that another file registers ("NAME ACTION ARGS"): `action.name`
// is the action's word, its run gets the arguments after it, and the command's own run sees every
// other action. "NAME --help" prints the command's help followed by the actions' usage lines.
// Lets two files share one command word without knowing of each other. False when taken.
bool RegisterAction(const std::string& commandName, Command action);
// The registered commands in name order.
std::vector<Command> Commands();
const Command* FindCommand(const std::string& name);

// Helpers for commands.
// Removes `flag` from args; true when it was there.
bool TakeFlag(std::vector<std::string>& args, const std::string& flag);
// Removes "OPTION VALUE" from args into `value` (left alone when the option is absent); false with
// `problem` when the value is missing.
bool TakeValue(std::vector<std::string>& args, const std::string& option, std::optional<std::string>& value,
               std::string& problem);
// "kzmousectl: " + text on the error stream; returns `code`.
int Fail(const Invocation& call, int code, const std::string& text);
// A text the tool shares with the window, in the user's language (KZMOUSE_LANG=en or the
// window's remembered choice gives English); Fail shows its text through it.
std::string Say(const std::string& text);
// Shows `prompt` on standard error and reads one line from the terminal with echo off; the
// terminal's settings come back on every way out, a signal included. False at end of input or
// when standard input is no terminal.
bool ReadSecretLine(const char* prompt, std::string& line);
// The description of the calling thread's last HID failure.
std::string LastHidErrorText();

}  // namespace kz::cli
