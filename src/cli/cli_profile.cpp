// The profile command of kzmousectl: show, set, write and reset the stored settings of one profile
// of the current user, through the same models the settings pages use.
#include "cli_commands.h"
#include "cli_store.h"

#include "app/services.h"
#include "base/constants.h"
#include "base/dispatcher.h"
#include "base/paths.h"
#include "device/presence.h"
#include "settings/button_model.h"
#include "keys/key_codes.h"
#include "settings/lighting_model.h"
#include "settings/mouse_settings_model.h"
#include "store/schema.h"
#include "store/users.h"
#include "profile/profile_session.h"

#include <json/json.h>

#include <charconv>
#include <cstdio>
#include <ostream>
#include <sstream>

namespace kz::cli {
namespace {

using settings::DpiLevel;
using settings::LightSetting;
using settings::LightSettings;
using settings::MouseSettings;
using settings::ProfileKey;

constexpr const char* kUsage =
    "usage: kzmousectl profile show N [--json]\n"
    "       kzmousectl profile set N [--dpi L1,L2,L3,L4] [--active LEVEL] [--rate 1-4] [--sense 0-10]\n"
    "                              [--sens-x 0-10] [--sens-y 0-10] [--switch on|off]\n"
    "                              [--double-click 0-10] [--scroll page|0-10] [--pointer-speed 0-10]\n"
    "                              [--light1 SPEC] [--light2 SPEC] [--light-speed 0-10] [--write]\n"
    "       kzmousectl profile write N\n"
    "       kzmousectl profile reset N [--write]\n"
    "N is the profile 1-5 of the current user. A DPI level is off or 200-8200; LEVEL is 1-4.\n"
    "A light SPEC is a comma list of on, off, steady, breathing, preset=0-15 and rgb=RRGGBB.\n"
    "The double-click, scroll and pointer-speed steps are stored with the profile; the window\n"
    "program applies them to the desktop when it loads the profile.";

std::string Hex2(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

int Usage(const Invocation& call, const std::string& problem) {
  return Fail(call, kExitUsage, problem + " (see kzmousectl profile --help)");
}

// A whole decimal number in [low, high], or nothing.
std::optional<int> NumberIn(const std::string& text, int low, int high) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

// One profile of the current user, as the window's pages hold it.
struct Profile {
  settings::ProfileKey key;
  bool stored = false;
  const settings::MouseSettingsModel& mouse;
  const settings::LightingModel& lights;
  const settings::ButtonModel& buttons;
};

Profile ProfileOf(profile::ProfileSession& session, bool stored) {
  return {session.Key(), stored, session.MouseSettings(), session.Lighting(), session.Buttons()};
}

// ---- show ----

std::string LevelText(const MouseSettings& s, int level) {
  const DpiLevel& l = s.levels[static_cast<size_t>(level)];
  std::string text = l.enabled ? std::to_string(l.value) : "off (" + std::to_string(l.value) + ")";
  return level == s.activeLevel ? text + " active" : text;
}

std::string ColourText(settings::Rgb rgb) {
  return Hex2(settings::RedOf(rgb)) + Hex2(settings::GreenOf(rgb)) + Hex2(settings::BlueOf(rgb));
}

std::string LightText(const LightSetting& l) {
  std::string colour = l.colourType == settings::kPresetColour
                           ? "preset " + std::to_string(l.preset) + " (" + ColourText(settings::ShownColour(l)) + ")"
                           : "rgb " + ColourText(l.rgb);
  return std::string(l.on ? "on" : "off") + ", " + (l.breath ? "breathing" : "steady") + ", " + colour;
}

std::string ButtonText(const settings::ButtonModel& buttons, int number) {
  const settings::ButtonSlot& slot = buttons.Slot(number);
  std::string kind = slot.HasMacro() ? "macro " + slot.macro : slot.HasKeyCombination() ? "key combination"
                                                            : slot.HasKey() ? "key" : "default";
  const std::string caption = slot.HasMacro() || slot.key != 0 ? buttons.Caption(number) : Say(buttons.Caption(number));
  return caption + " [" + settings::FunctionCode(slot, number) + ", " + kind + "]";
}

void PrintProfile(std::ostream& out, const Profile& p) {
  const MouseSettings& s = p.mouse.Settings();
  auto row = [&out](const std::string& name, const std::string& value) {
    out << name << std::string(name.size() < 20 ? 20 - name.size() : 1, ' ') << value << "\n";
  };
  row("user", p.key.user);
  row("profile", std::to_string(p.key.profile) + (p.stored ? "" : " (not stored yet: factory values)"));
  for (int level = 0; level < settings::kDpiLevelCount; ++level)
    row("dpi level " + std::to_string(level + 1), LevelText(s, level));
  row("report rate", std::to_string(s.reportRate + 1) + " (code " + Hex2(settings::kReportRateCodes[s.reportRate]) + ")");
  row("sense", std::to_string(s.sense));
  row("sensitivity x", std::to_string(s.sensitivityX));
  row("sensitivity y", std::to_string(s.sensitivityY));
  row("sensitivity switch", s.sensitivitySwitch ? "on" : "off");
  row("double click", std::to_string(s.doubleClick) + " (" + std::to_string(settings::DoubleClickTimeOfStep(s.doubleClick)) + " ms)");
  row("wheel scroll", s.scrollByPage ? "page" : std::to_string(s.scrollSpeed) + " (" +
                                                    std::to_string(settings::WheelScrollLinesOf(false, s.scrollSpeed)) + " lines)");
  row("pointer speed", std::to_string(s.pointerSpeed));
  row("light 1", LightText(p.lights.Light(0)));
  row("light 2", LightText(p.lights.Light(1)));
  row("light speed", std::to_string(p.lights.Speed()));
  for (int number = 1; number <= settings::kButtonCount; ++number)
    row("button " + std::to_string(number), ButtonText(p.buttons, number));
  out << "commands\n  " << settings::DpiCommand(s) << "\n  " << settings::ReportCommand(s) << "\n  "
      << settings::ButtonMapCommand(p.buttons.Slots()) << "\n  " << settings::LightCommand(p.lights.Lights()) << "\n";
}

Json::Value ProfileJson(const Profile& p) {
  const MouseSettings& s = p.mouse.Settings();
  Json::Value v;
  v["user"] = ValidUtf8(p.key.user);
  v["profile"] = p.key.profile;
  v["stored"] = p.stored;
  Json::Value levels(Json::arrayValue);
  for (const DpiLevel& level : s.levels) {
    Json::Value l;
    l["enabled"] = level.enabled;
    l["dpi"] = level.value;
    levels.append(l);
  }
  v["dpiLevels"] = levels;
  v["activeLevel"] = s.activeLevel + 1;
  v["reportRate"] = s.reportRate + 1;
  v["sense"] = s.sense;
  v["sensitivityX"] = s.sensitivityX;
  v["sensitivityY"] = s.sensitivityY;
  v["sensitivitySwitch"] = s.sensitivitySwitch;
  v["doubleClick"] = s.doubleClick;
  v["scrollByPage"] = s.scrollByPage;
  v["scrollSpeed"] = s.scrollSpeed;
  v["pointerSpeed"] = s.pointerSpeed;
  Json::Value lights(Json::arrayValue);
  for (const LightSetting& light : p.lights.Lights()) {
    Json::Value l;
    l["colourType"] = light.colourType == settings::kPresetColour ? "preset" : "rgb";
    l["preset"] = light.preset;
    l["rgb"] = ColourText(light.rgb);
    l["on"] = light.on;
    l["breath"] = light.breath;
    l["speed"] = light.speed;
    lights.append(l);
  }
  v["lights"] = lights;
  Json::Value buttons(Json::arrayValue);
  for (int number = 1; number <= settings::kButtonCount; ++number) {
    const settings::ButtonSlot& slot = p.buttons.Slot(number);
    Json::Value b;
    b["caption"] = ValidUtf8(p.buttons.Caption(number));
    b["code"] = settings::FunctionCode(slot, number);
    b["key"] = slot.key;
    b["modifiers"] = slot.modifiers;
    b["macro"] = ValidUtf8(slot.macro);
    buttons.append(b);
  }
  v["buttons"] = buttons;
  return v;
}

// ---- set ----

// Applies the options to the profile's settings; the first bad value gives its message.
class SetOptions {
 public:
  SetOptions(MouseSettings mouse, LightSettings lights) : mouse_(mouse), lights_(lights) {}

  // `stateChecked` false leaves out the one check that depends on the settings taken in (that
  // the active level stays on), for a look at the arguments before the profile is read.
  std::string Apply(const std::vector<std::string>& args, bool stateChecked = true) {
    for (size_t i = 0; i < args.size(); ++i) {
      const std::string& option = args[i];
      if (i + 1 >= args.size()) return "option " + option + " needs a value";
      std::string problem = ApplyOne(option, args[++i]);
      if (!problem.empty()) return problem;
      ++changes_;
    }
    if (changes_ == 0) return "nothing to set";
    if (stateChecked && !mouse_.levels[static_cast<size_t>(mouse_.activeLevel)].enabled)
      return "DPI level " + std::to_string(mouse_.activeLevel + 1) +
             " is the active level and cannot be off; choose another one with --active 1-4";
    return {};
  }
  const MouseSettings& Mouse() const { return mouse_; }
  const LightSettings& Lights() const { return lights_; }

 private:
  std::string Step(const std::string& option, const std::string& value, int& target) {
    std::optional<int> step = NumberIn(value, 0, settings::kMaxStep);
    if (!step) return option + " must be 0 to 10 (got \"" + value + "\")";
    target = *step;
    return {};
  }

  std::string ApplyOne(const std::string& option, const std::string& value) {
    if (option == "--dpi") return Levels(value);
    if (option == "--active") {
      std::optional<int> level = NumberIn(value, 1, settings::kDpiLevelCount);
      if (!level) return "--active must be a DPI level 1 to 4 (got \"" + value + "\")";
      mouse_.activeLevel = *level - 1;
      return {};
    }
    if (option == "--rate") {
      std::optional<int> rate = NumberIn(value, 1, settings::kReportRateCount);
      if (!rate) return "--rate must be a report rate choice 1 to 4 (got \"" + value + "\")";
      mouse_.reportRate = *rate - 1;
      return {};
    }
    if (option == "--sense") return Step(option, value, mouse_.sense);
    if (option == "--sens-x") return Step(option, value, mouse_.sensitivityX);
    if (option == "--sens-y") return Step(option, value, mouse_.sensitivityY);
    if (option == "--switch") {
      if (value != "on" && value != "off") return "--switch must be on or off (got \"" + value + "\")";
      mouse_.sensitivitySwitch = value == "on";
      return {};
    }
    if (option == "--double-click") return Step(option, value, mouse_.doubleClick);
    if (option == "--scroll") {
      if (value == "page") {
        mouse_.scrollByPage = true;
        return {};
      }
      mouse_.scrollByPage = false;
      std::string problem = Step(option, value, mouse_.scrollSpeed);
      return problem.empty() ? problem : "--scroll must be page or 0 to 10 (got \"" + value + "\")";
    }
    if (option == "--pointer-speed") return Step(option, value, mouse_.pointerSpeed);
    if (option == "--light1") return Light(option, value, lights_[0]);
    if (option == "--light2") return Light(option, value, lights_[1]);
    if (option == "--light-speed") {
      std::optional<int> speed = NumberIn(value, 0, settings::kMaxLightSpeed);
      if (!speed) return "--light-speed must be 0 to 10 (got \"" + value + "\")";
      // The mouse runs both lights at one speed; keep the stored pair alike.
      lights_[0].speed = lights_[1].speed = *speed;
      return {};
    }
    return "unknown option \"" + option + "\"";
  }

  std::string Levels(const std::string& value) {
    std::vector<std::string> parts;
    std::stringstream stream(value);
    std::string part;
    while (std::getline(stream, part, ',')) parts.push_back(part);
    if (parts.size() != settings::kDpiLevelCount || value.back() == ',')
      return "--dpi takes four levels separated by commas, each off or 200 to 8200 (got \"" + value + "\")";
    for (int level = 0; level < settings::kDpiLevelCount; ++level) {
      const std::string& text = parts[static_cast<size_t>(level)];
      DpiLevel& target = mouse_.levels[static_cast<size_t>(level)];
      if (text == "off") {
        target.enabled = false;
        continue;
      }
      std::optional<int> dpi = NumberIn(text, settings::kMinDpi, settings::kMaxDpi);
      if (!dpi) return "DPI level " + std::to_string(level + 1) + " must be off or 200 to 8200 (got \"" + text + "\")";
      target = {true, *dpi};
    }
    return {};
  }

  std::string Light(const std::string& option, const std::string& value, LightSetting& light) {
    std::stringstream stream(value);
    std::string token;
    bool any = false;
    while (std::getline(stream, token, ',')) {
      any = true;
      if (token == "on" || token == "off") {
        light.on = token == "on";
      } else if (token == "steady" || token == "breathing") {
        light.breath = token == "breathing";
      } else if (token.rfind("preset=", 0) == 0) {
        std::optional<int> preset = NumberIn(token.substr(7), 0, settings::kPresetCount - 1);
        if (!preset) return option + ": preset must be 0 to 15 (got \"" + token.substr(7) + "\")";
        light.preset = *preset;
        light.colourType = settings::kPresetColour;
      } else if (token.rfind("rgb=", 0) == 0) {
        std::string hex = token.substr(4);
        unsigned value = 0;
        auto [end, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
        if (hex.size() != 6 || ec != std::errc() || end != hex.data() + hex.size())
          return option + ": rgb must be six hex digits RRGGBB (got \"" + hex + "\")";
        light.rgb = settings::MakeRgb(static_cast<int>(value >> 16), static_cast<int>(value >> 8), static_cast<int>(value));
        light.colourType = settings::kFreeColour;
      } else {
        return option + ": \"" + token + "\" is not on, off, steady, breathing, preset=0-15 or rgb=RRGGBB";
      }
    }
    return any ? std::string() : option + " needs on, off, steady, breathing, preset=0-15 or rgb=RRGGBB";
  }

  MouseSettings mouse_;
  LightSettings lights_;
  int changes_ = 0;
};


int RunProfile(const Invocation& call) {
  std::vector<std::string> args = call.args;
  if (args.size() < 2) return Usage(call, args.empty() ? "profile needs an action" : "profile needs a profile number");
  std::string action = args[0];
  if (action != "show" && action != "set" && action != "write" && action != "reset")
    return Usage(call, "unknown profile action \"" + action + "\"");
  std::optional<int> number = NumberIn(args[1], 1, store::kProfileCount);
  if (!number) return Usage(call, "the profile number must be 1 to 5 (got \"" + args[1] + "\")");
  args.erase(args.begin(), args.begin() + 2);
  bool json = action == "show" && TakeFlag(args, "--json");
  bool write = action == "write" || ((action == "set" || action == "reset") && TakeFlag(args, "--write"));
  if (action != "set" && !args.empty()) return Usage(call, "unexpected argument \"" + args.front() + "\"");

  QueueDispatcher dispatcher;
  std::unique_ptr<app::Services> services = MakeToolServices(dispatcher);
  if (action == "set") {
    // A rejected command leaves no trace, not even the database a first run would make. Without a
    // database yet the profile will read as its factory values, so those settle every check.
    const bool fresh = !ToolStoreExists(*services);
    SetOptions options{MouseSettings{}, LightSettings{}};
    if (std::string problem = options.Apply(args, fresh); !problem.empty()) return Usage(call, problem);
  }
  if (!OpenToolStore(call, *services)) return kExitFailure;
  profile::ProfileSession& session = services->Profiles();
  session.SetActiveProfile(*number);
  const settings::LoadResult loaded = session.LoadAll();
  // Shown, changed, written or reset as factory values only when there is no row: a row that
  // could not be read is an error, never "not stored yet".
  if (loaded == settings::LoadResult::kFailed)
    return Fail(call, kExitFailure,
                "cannot load profile " + std::to_string(*number) + ": " + services->db.GetLastErrorString());
  Profile profile = ProfileOf(session, loaded == settings::LoadResult::kLoaded);

  if (action == "show") {
    if (json) {
      Json::StreamWriterBuilder builder;
      builder["indentation"] = "  ";
      builder["emitUTF8"] = true;
      *call.out << Json::writeString(builder, ProfileJson(profile)) << "\n";
    } else {
      PrintProfile(*call.out, profile);
    }
    return kExitOk;
  }
  if (action == "set") {
    // Everything is checked before anything is stored.
    SetOptions options(session.MouseSettings().Settings(), session.Lighting().Lights());
    if (std::string problem = options.Apply(args); !problem.empty()) return Usage(call, problem);
    session.MouseSettings().SetSettings(options.Mouse());
    session.Lighting().SetLights(options.Lights());
  } else if (action == "reset") {
    session.ResetAll();
    // The window's reset keeps the switch as the page shows it; a reset of a stored profile
    // from here puts it back to its factory state too.
    session.MouseSettings().SetSensitivitySwitch(false);
  }
  if (action != "write") {
    // set changes no button, so the stored buttons are left as they are.
    using profile::kLightingSlot, profile::kMouseSettingsSlot;
    bool saved = action == "set" ? session.Save({kMouseSettingsSlot, kLightingSlot}) : session.SaveAll();
    if (!saved)
      return Fail(call, kExitFailure,
                  "cannot store profile " + std::to_string(*number) + ": " + services->db.GetLastErrorString());
    *call.out << (action == "set" ? "stored" : "reset") << " profile " << *number << " of " << profile.key.user << "\n";
  }
  return write ? WriteProfile(call, session) : kExitOk;
}

const bool registered = RegisterCommandWithHelp(
    {"profile", "show|set|write|reset N ...",
     "show, change, write or reset a stored profile (see profile --help)", &RunProfile},
    kUsage);

}  // namespace
}  // namespace kz::cli
