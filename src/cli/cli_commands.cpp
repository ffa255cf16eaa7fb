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

// Actions other files add to a command, by command name and action word.
std::map<std::string, std::map<std::string, Command>>& Actions() {
  static std::map<std::string, std::map<std::string, Command>> actions;
  return actions;
}

// A command with the actions added to it, made when first looked up (every registration has run
// by then: they happen before main).
Command WithActions(const Command* base, const std::string& name, const std::map<std::string, Command>& actions) {
  Command merged;
  merged.name = name;
  merged.usage = base ? base->usage : std::string();
  merged.summary = base ? base->summary : std::string();
  for (const auto& [word, action] : actions)
    merged.usage += (merged.usage.empty() ? "" : "|") + word + (action.usage.empty() ? "" : " " + action.usage);
  auto baseRun = base ? base->run : std::function<int(const Invocation&)>();
  merged.run = [name, actions, baseRun](const Invocation& call) {
    const bool help = !call.args.empty() && (call.args[0] == "--help" || call.args[0] == "help");
    if (!call.args.empty() && !help) {
      auto it = actions.find(call.args[0]);
      if (it != actions.end()) {
        Invocation inner = call;
        inner.args.erase(inner.args.begin());
        return it->second.run(inner);
      }
    }
    int code = kExitOk;
    if (baseRun && (help || !call.args.empty())) code = baseRun(call);
    else if (!help) return Fail(call, kExitUsage, name + " needs an action (see kzmousectl " + name + " --help)");
    if (help)
      for (const auto& [word, action] : actions)
        *call.out << "usage: kzmousectl " << name << " " << word << (action.usage.empty() ? "" : " " + action.usage)
                  << "\n       " << action.summary << "\n";
    return code;
  };
  return merged;
}

std::map<std::string, Command>& Merged() {
  static std::map<std::string, Command> merged;
  return merged;
}

const Command* Lookup(const std::string& name) {
  auto base = Registry().find(name);
  const Command* command = base == Registry().end() ? nullptr : &base->second;
  auto actions = Actions().find(name);
  if (actions == Actions().end()) return command;
  auto [it, made] = Merged().try_emplace(name);
  if (made) it->second = WithActions(command, name, actions->second);
  return &it->second;
}

}  // namespace

bool RegisterAction(const std::string& commandName, Command action) {
  std::string word = action.name;
  return Actions()[commandName].emplace(std::move(word), std::move(action)).second;
}

bool RegisterCommand(Command command) {
  std::string name = command.name;
  return Registry().emplace(std::move(name), std::move(command)).second;
}

std::vector<Command> Commands() {
  std::vector<Command> commands;
  for (const auto& [name, command] : Registry()) commands.push_back(*Lookup(name));
  for (const auto& [name, actions] : Actions())
    if (Registry().count(name) == 0) commands.push_back(*Lookup(name));
  return commands;
}

const Command* FindCommand(const std::string& name) { return Lookup(name); }

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
