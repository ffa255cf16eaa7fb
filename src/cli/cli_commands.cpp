#include "cli_commands.h"

#include "device/hidm.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <ostream>

namespace kz::cli {
namespace {

// Built on first use, so registrations from any file's static initialisers find it ready.
std::map<std::string, Command>& Registry() {
  static std::map<std::string, Command> registry;
  return registry;
}

}  // namespace

bool RegisterCommand(Command command) {
  std::string name = command.name;
  return Registry().emplace(std::move(name), std::move(command)).second;
}

std::vector<Command> Commands() {
  std::vector<Command> commands;
  for (const auto& [name, command] : Registry()) commands.push_back(command);
  return commands;
}

const Command* FindCommand(const std::string& name) {
  auto it = Registry().find(name);
  return it == Registry().end() ? nullptr : &it->second;
}

bool TakeFlag(std::vector<std::string>& args, const std::string& flag) {
  auto it = std::find(args.begin(), args.end(), flag);
  if (it == args.end()) return false;
  args.erase(it);
  return true;
}

bool TakeValue(std::vector<std::string>& args, const std::string& option, std::optional<std::string>& value,
               std::string& problem) {
  auto it = std::find(args.begin(), args.end(), option);
  if (it == args.end()) return true;
  if (it + 1 == args.end()) {
    problem = "option " + option + " needs a value";
    return false;
  }
  value = *(it + 1);
  args.erase(it, it + 2);
  return true;
}

bool RegisterCommandWithHelp(Command command, std::string help) {
  auto run = std::move(command.run);
  command.run = [run = std::move(run), help = std::move(help)](const Invocation& call) {
    if (!call.args.empty() && (call.args[0] == "--help" || call.args[0] == "help")) {
      *call.out << help << "\n";
      return kExitOk;
    }
    return run(call);
  };
  return RegisterCommand(std::move(command));
}

int Fail(const Invocation& call, int code, const std::string& text) {
  *call.err << "kzmousectl: " << Say(text) << "\n";
  return code;
}

std::string LastHidErrorText() {
  char text[1024] = "";
  device::HIDM_GetErrorDescript(device::LastHidError(), text, sizeof text);
  return text;
}

}  // namespace kz::cli
