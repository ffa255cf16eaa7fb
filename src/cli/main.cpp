// kzmousectl: the command-line tool over the core. This file only reads the global options, sets up
// the mouse backend and dispatches to the registered commands (see cli_commands.h).
#include "cli_commands.h"

#include "base/paths.h"
#include "device/hidm.h"
#include "device/sim_mouse.h"
#include "store/schema.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace kz::cli {
// Arguments quoted in messages, with invalid UTF-8 and control bytes as \xNN (cli_device.cpp).
std::string ShowableText(const std::string& text);
}  // namespace kz::cli

namespace {

using kz::cli::Invocation;
using kz::cli::ShowableText;

void PrintUsage(std::ostream& out) {
  out << "usage: kzmousectl [--simulate] COMMAND [ARGS]\n\n"
         "options:\n"
         "  --simulate   use the built-in simulated mouse (also KZMOUSE_DEVICE=sim); its state is kept\n"
         "               in KZMOUSE_SIM_STATE, or else in $XDG_DATA_HOME/kzMouse/sim_mouse.state\n"
         "  --help       show this text\n\ncommands:\n";
  for (const auto& command : kz::cli::Commands()) {
    std::string head = command.name + (command.usage.empty() ? "" : " " + command.usage);
    out << "  " << head << std::string(head.size() < 26 ? 26 - head.size() : 1, ' ') << command.summary << "\n";
  }
}

// The simulated mouse lives in this process only, so its on-board state must survive between two
// runs of the tool ("send" then "status"): it is always kept in a file, by default one in the data
// folder next to the database.
std::string SimulatorStatePath() {
  const char* path = std::getenv("KZMOUSE_SIM_STATE");
  if (path != nullptr && *path != '\0') return path;
  std::string dir = kz::paths::DataDir();
  return dir.empty() ? std::string() : dir + "sim_mouse.state";
}

// A data folder the database cannot live in is named as the cause here, before the database's own
// "unable to open database file" would hide it; "" when the folder is fine (it is then made and
// kept 0700).
std::string PrepareDataFolder() {
  std::string dir = kz::paths::DataDir();
  if (dir.empty()) return kz::paths::NoHomeText();
  if (std::string problem = kz::paths::PathProblem(dir + kz::store::kDatabaseFileName); !problem.empty())
    return problem;
  kz::paths::MakeOwnDir(dir);  // other failures are reported by the command with the folder's name
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  Invocation call;
  call.out = &std::cout;
  call.err = &std::cerr;
  std::string name;
  bool help = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--simulate") call.simulate = true;
    else if (name.empty() && (arg == "--help" || arg == "-h")) help = true;
    else if (name.empty() && arg.rfind("--", 0) == 0)
      return kz::cli::Fail(call, kz::cli::kExitUsage, "unknown option " + ShowableText(arg));
    else if (name.empty()) name = arg;
    else call.args.push_back(arg);
  }
  if (help || name == "help") {
    PrintUsage(std::cout);
    return kz::cli::kExitOk;
  }
  if (name.empty()) {
    PrintUsage(std::cerr);
    return kz::cli::kExitUsage;
  }
  const kz::cli::Command* command = kz::cli::FindCommand(name);
  if (command == nullptr)
    return kz::cli::Fail(call, kz::cli::kExitUsage, "unknown command \"" + ShowableText(name) + "\" (see --help)");

  const char* device = std::getenv("KZMOUSE_DEVICE");
  if (device != nullptr && std::strcmp(device, "sim") == 0) call.simulate = true;
  // The profile commands keep everything in the database of the data folder.
  if (command->name == "profile")
    if (std::string problem = PrepareDataFolder(); !problem.empty())
      return kz::cli::Fail(call, kz::cli::kExitFailure, ShowableText(problem));
  if (call.simulate) {
    const char* trace = std::getenv("KZMOUSE_SIM_TRACE");
    std::string statePath = SimulatorStatePath();
    // Without a home the state would have nowhere of its own to go; a shared folder is no place for it.
    std::string problem = statePath.empty() ? kz::paths::NoHomeText() : kz::paths::PathProblem(statePath);
    if (!problem.empty()) return kz::cli::Fail(call, kz::cli::kExitFailure, ShowableText(problem));
    call.simulatedMouse = std::make_shared<kz::device::SimulatedMouse>(statePath, trace ? trace : "");
    for (const std::string& warning : {call.simulatedMouse->StateProblem(), call.simulatedMouse->TraceProblem()})
      if (!warning.empty()) std::cerr << "kzmousectl: warning: simulated mouse: " << ShowableText(warning) << "\n";
    kz::device::InstallBackend(call.simulatedMouse);
  } else {
    kz::device::InstallBackend(kz::device::MakeBackend(false));
  }
  int code = command->run(call);
  kz::device::InstallBackend(nullptr);  // closes the connection
  return code;
}
