// The button command of kzmousectl: what the buttons of one profile of the current user do, through
// the button page's model, and the profile written to the mouse on request.
#include "cli_commands.h"
#include "cli_store.h"

#include "device/presence.h"
#include "keys/key_codes.h"
#include "macro/macro_sets.h"
#include "profile/profile_session.h"
#include "settings/button_model.h"
#include "store/users.h"

#include <json/json.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <ostream>

namespace kz::cli {

// The virtual key of a key name (cli_macro.cpp); 0 when unknown.
int VirtualKeyOfName(const std::string& name);

namespace {

constexpr const char* kUsage =
    "usage: kzmousectl button set N key KEY [--mods shift,ctrl,win,alt] [--profile P] [--write]\n"
    "       kzmousectl button set N macro NAME [--profile P] [--write]\n"
    "       kzmousectl button reset N [--profile P] [--write]\n"
    "       kzmousectl button show [--profile P] [--json]\n"
    "N is a button 3 to 11; buttons 1 and 2 (left and right click) keep their functions. P is the\n"
    "profile 1-5 of the current user, by default the user's active one. KEY is a key name as\n"
    "\"kzmousectl macro keys\" lists them (case and blanks do not matter); --mods holds it with\n"
    "Shift, Control, WIN and ALT. NAME is one of the user's macros (kzmousectl macro list).\n"
    "reset gives the button its factory function. set and reset store the button in the profile;\n"
    "--write then sends the whole profile to the mouse, as \"kzmousectl profile write P\" does.\n"
    "show lists each button as caption [function code, kind] and the commands a write sends.\n"
    "Exit codes: 0 done, 1 failure, 2 refused (a bad argument or an unknown name), 3 no mouse,\n"
    "4 the mouse did not take the settings.";

int Usage(const Invocation& call, const std::string& problem) {
  return Fail(call, kExitUsage, problem + " (see kzmousectl button --help)");
}

std::string Quote(const std::string& text) { return "\"" + ShowableText(text) + "\""; }

std::optional<int> NumberIn(const std::string& text, int low, int high) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

std::string WithoutTrailingBlank(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// What the command line asks for, checked before the store is opened.
struct Request {
  std::string action;    // set, reset, show
  int number = 0;        // the button
  std::string kind;      // set: key or macro
  int key = 0;           // set key: virtual key
  int modifiers = 0;     // set key: ModifierFlags
  std::string macro;     // set macro: the macro's name
  std::optional<int> profile;
  bool write = false;
  bool json = false;
};

std::string ParseModifiers(const std::string& text, int& modifiers) {
  size_t start = 0;
  for (;;) {
    size_t end = text.find(',', start);
    std::string name = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "shift") modifiers |= settings::kModShift;
    else if (name == "ctrl" || name == "control") modifiers |= settings::kModControl;
    else if (name == "win") modifiers |= settings::kModWin;
    else if (name == "alt") modifiers |= settings::kModAlt;
    else return "--mods takes shift, ctrl, win and alt separated by commas (got " + Quote(text) + ")";
    if (end == std::string::npos) return {};
    start = end + 1;
  }
}

std::string ParseRequest(std::vector<std::string> args, Request& request) {
  if (args.empty()) return "button needs an action: set, reset or show";
  request.action = args.front();
  args.erase(args.begin());
  if (request.action != "set" && request.action != "reset" && request.action != "show")
    return "unknown button action " + Quote(request.action);
  std::optional<std::string> profile, mods;
  std::string problem;
  if (!TakeValue(args, "--profile", profile, problem)) return problem;
  if (profile) {
    request.profile = NumberIn(*profile, 1, store::kProfileCount);
    if (!request.profile) return "the profile number must be 1 to 5 (got " + Quote(*profile) + ")";
  }
  if (request.action == "show") {
    request.json = TakeFlag(args, "--json");
  } else {
    request.write = TakeFlag(args, "--write");
    if (request.action == "set" && !TakeValue(args, "--mods", mods, problem)) return problem;
  }
  for (const std::string& arg : args)
    if (arg.size() > 2 && arg.rfind("--", 0) == 0) return "unknown option " + Quote(arg);

  const size_t positional = request.action == "show" ? 0 : request.action == "reset" ? 1 : 3;
  if (args.size() > positional) return "unexpected argument " + Quote(args[positional]);
  if (request.action == "show") return {};
  if (args.empty()) return "button " + request.action + " needs a button number";
  std::optional<int> number = NumberIn(args[0], 1, settings::kButtonCount);
  if (!number) return "the button number must be 1 to 11 (got " + Quote(args[0]) + ")";
  request.number = *number;
  // A script must not take the clicks away: the page does not let them be changed either.
  if (!settings::ButtonModel::IsReassignable(request.number))
    return "button " + std::to_string(request.number) + " is the " + (request.number == 1 ? "left" : "right") +
           " click and keeps its function";
  if (request.action == "reset") return {};

  if (args.size() < 2) return "button set needs key KEY or macro NAME";
  request.kind = args[1];
  if (request.kind != "key" && request.kind != "macro")
    return "button set takes key KEY or macro NAME (got " + Quote(request.kind) + ")";
  if (args.size() < 3) return "button set " + request.kind + " needs a " + request.kind + " name";
  if (mods && request.kind != "key") return "--mods goes with a key, not a macro";
  if (request.kind == "macro") {
    request.macro = args[2];
    return {};
  }
  request.key = VirtualKeyOfName(args[2]);
  if (request.key == 0 || settings::DeviceKeyCodeOf(request.key) == 0)
    return "unknown key " + Quote(args[2]) + "; kzmousectl macro keys lists the names";
  if (mods) return ParseModifiers(*mods, request.modifiers);
  return {};
}

std::string KindText(const settings::ButtonSlot& slot) {
  return slot.HasMacro() ? "macro" : slot.HasKeyCombination() ? "key combination" : slot.HasKey() ? "key" : "default";
}

// What the button does, as the page shows it.
std::string ButtonText(const settings::ButtonModel& buttons, int number) {
  const settings::ButtonSlot& slot = buttons.Slot(number);
  // A factory function's caption is the program's own text, in the user's language.
  std::string caption = slot.HasMacro() || slot.key != 0 ? buttons.Caption(number) : Say(buttons.Caption(number));
  if (slot.HasMacro() && caption.empty()) caption = "(deleted macro)";
  return ShowableText(caption) + " [" + settings::FunctionCode(slot, number) + ", " + KindText(slot) + "]";
}

int Show(const Invocation& call, profile::ProfileSession& session, bool stored, bool json) {
  const settings::ButtonModel& buttons = session.Buttons();
  const std::vector<std::string> commands = buttons.BuildWrite().Commands();
  const settings::ProfileKey key = session.Key();
  if (json) {
    Json::Value v;
    v["user"] = ValidUtf8(key.user);
    v["profile"] = key.profile;
    v["stored"] = stored;
    Json::Value list(Json::arrayValue);
    for (int number = 1; number <= settings::kButtonCount; ++number) {
      const settings::ButtonSlot& slot = buttons.Slot(number);
      Json::Value b;
      b["number"] = number;
      b["caption"] = ValidUtf8(buttons.Caption(number));
      b["code"] = settings::FunctionCode(slot, number);
      b["kind"] = KindText(slot);
      b["key"] = slot.key;
      b["modifiers"] = slot.modifiers;
      b["macro"] = ValidUtf8(slot.macro);
      list.append(b);
    }
    v["buttons"] = list;
    Json::Value sent(Json::arrayValue);
    for (const std::string& command : commands) sent.append(WithoutTrailingBlank(command));
    v["commands"] = sent;
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    builder["emitUTF8"] = true;
    *call.out << Json::writeString(builder, v) << "\n";
    return kExitOk;
  }
  auto row = [&call](const std::string& name, const std::string& value) {
    *call.out << name << std::string(name.size() < 20 ? 20 - name.size() : 1, ' ') << value << "\n";
  };
  row("user", ShowableText(key.user));
  row("profile", std::to_string(key.profile) + (stored ? "" : " (not stored yet: factory values)"));
  for (int number = 1; number <= settings::kButtonCount; ++number)
    row("button " + std::to_string(number), ButtonText(buttons, number));
  *call.out << "commands\n";
  for (const std::string& command : commands) *call.out << "  " << WithoutTrailingBlank(command) << "\n";
  return kExitOk;
}

int RunButton(const Invocation& call) {
  Request request;
  if (std::string problem = ParseRequest(call.args, request); !problem.empty()) return Usage(call, problem);

  QueueDispatcher dispatcher;
  std::unique_ptr<app::Services> services = MakeToolServices(dispatcher);
  auto unknownMacro = [&] {
    return Fail(call, kExitUsage, "no macro " + Quote(macro::TrimName(request.macro)) + " (see kzmousectl macro list)");
  };
  // Without a database there are no macros yet, and the refusal leaves no new database behind.
  if (request.kind == "macro" && !ToolStoreExists(*services)) return unknownMacro();
  if (!OpenToolStore(call, *services)) return kExitFailure;
  profile::ProfileSession& session = services->Profiles();
  if (request.profile) session.SetActiveProfile(*request.profile);
  // Every page, not just the buttons: --write sends the whole profile.
  const settings::LoadResult loaded = session.LoadAll();
  const int number = session.ActiveProfile();
  if (loaded == settings::LoadResult::kFailed)
    return Fail(call, kExitFailure,
                "cannot load profile " + std::to_string(number) + ": " + services->db.GetLastErrorString());
  if (request.action == "show") return Show(call, session, loaded == settings::LoadResult::kLoaded, request.json);

  settings::ButtonModel& buttons = session.Buttons();
  bool changed = false;
  if (request.action == "reset") {
    changed = buttons.RestoreDefault(request.number);
  } else if (request.kind == "key") {
    changed = buttons.SetSingleKey(request.number, request.key, request.modifiers);
  } else {
    std::optional<macro::MacroRow> found =
        macro::MacroSets(services->db, services->session.UserName()).FindMacro(request.macro);
    if (!found) return unknownMacro();
    changed = buttons.AssignMacro(request.number, found->guid);
  }
  if (!changed) return Usage(call, "button " + std::to_string(request.number) + " cannot be set to that");
  // Only the button slot: the other pages' columns stay as they are stored.
  if (!session.Save({profile::kButtonSlot}))
    return Fail(call, kExitFailure,
                "cannot store profile " + std::to_string(number) + ": " + services->db.GetLastErrorString());
  *call.out << (request.action == "reset" ? "reset" : "set") << " button " << request.number << " of profile " << number
            << " of " << ShowableText(session.Key().user) << ": " << ButtonText(buttons, request.number) << "\n";
  return request.write ? WriteProfile(call, session) : kExitOk;
}

const bool registered = RegisterCommandWithHelp(
    {"button", "set|reset|show ...",
     "change, reset or show a profile's buttons (see button --help)", &RunButton},
    kUsage);

}  // namespace
}  // namespace kz::cli
