// The macro command of kzmousectl: the current user's macro sets and macros under the macro
// manager's name rules, with the events given as text instead of recorded from the keyboard.
#include "cli_commands.h"
#include "cli_store.h"

#include "keys/key_codes.h"
#include "macro/macro_event.h"
#include "macro/macro_sets.h"
#include "macro/macro_store.h"
#include "macro/open_macro.h"
#include "settings/button_commands.h"
#include "store/database.h"

#include <json/json.h>

#include <algorithm>
#include <charconv>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <set>

namespace kz::cli {

// The virtual key of a key name as --events and "button set N key" take it; 0 when unknown.
int VirtualKeyOfName(const std::string& name);

namespace {

using macro::MacroEvent;

constexpr const char* kUsage =
    "usage: kzmousectl macro set add NAME\n"
    "       kzmousectl macro set list [--json]\n"
    "       kzmousectl macro set rm NAME\n"
    "       kzmousectl macro add SET NAME --events TEXT [--repeat 1-255]\n"
    "       kzmousectl macro show NAME [--json]\n"
    "       kzmousectl macro list [--json]\n"
    "       kzmousectl macro rm NAME\n"
    "       kzmousectl macro keys\n"
    "Sets and macros are the current user's. Names are trimmed and hold 1 to 64 characters; a set\n"
    "name is unique among the user's sets, a macro name among the user's macros of every set.\n"
    "\"set list\" gives the sets in table order with their macro counts. \"set rm\" deletes the set\n"
    "only: its macros stay, as buttons may use them, and \"macro list\" still shows them.\n"
    "TEXT is a comma list of keys and pauses:\n"
    "  a        press and release A\n"
    "  ctrl+c   press Control, press C, release C, release Control (any keys joined by +: pressed\n"
    "           in order, released in reverse order)\n"
    "  100ms    a pause of 1 to 65535 ms after the key before it, stored as the recorder stores\n"
    "           one: as that row's delay and as a delay row; pauses in a row add up, and a pause\n"
    "           cannot come first\n"
    "Key names are those \"macro keys\" lists (case and blanks do not matter); shift, ctrl, alt and\n"
    "win are the left modifier keys. Names holding \",\" or \";\" only work in \"button set N key\".\n"
    "A TEXT holding \";\" is the stored form instead, as \"macro show\" prints it: KEY,DOWN,DELAY;\n"
    "per row (virtual-key code, 1 press or 0 release, pause in ms; KEY 0 is a delay row).\n"
    "A macro holds at most 60 key rows (presses and releases).\n"
    "--repeat N plays the macro N times (repeat on); without it the macro plays once.\n"
    "show prints the set, the plays, the events as TEXT and in the stored form, each row, and the\n"
    "key blocks a button sends for it; rm deletes the macro (buttons set to it no longer send it,\n"
    "and rm names them); list gives every macro of the user with its set.\n"
    "Exit codes: 0 done, 1 failure, 2 refused (a bad argument, an unknown or taken name).";

constexpr int kMaxPauseMs = 0xFFFF;  // the mouse takes a delay as 16 bits
constexpr int kLeftShift = 0xA0, kLeftControl = 0xA2, kLeftAlt = 0xA4, kLeftWin = 0x5B;

int Usage(const Invocation& call, const std::string& problem) {
  return Fail(call, kExitUsage, problem + " (see kzmousectl macro --help)");
}

std::string Quote(const std::string& text) { return "\"" + ShowableText(text) + "\""; }

std::string JsonText(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "  ";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value) + "\n";
}

void Row(std::ostream& out, const std::string& name, const std::string& value) {
  out << name << std::string(name.size() < 20 ? 20 - name.size() : 1, ' ') << value << "\n";
}

// ---- key names ----

// Key names match without regard to ASCII case and blanks: "Caps Lock", "capslock", "CAPS LOCK".
std::string LookupForm(const std::string& text) {
  std::string form;
  for (char c : text) {
    if (c == ' ' || c == '\t') continue;
    form += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return form;
}

// The keys the recorder records for a modifier pressed on the left side.
struct KeyAlias {
  const char* name;
  int virtualKey;
};
constexpr KeyAlias kAliases[] = {
    {"shift", kLeftShift}, {"ctrl", kLeftControl}, {"control", kLeftControl}, {"alt", kLeftAlt}, {"win", kLeftWin}};

// How a key is written in TEXT; "" for a key the table does not name.
std::string TextNameOf(int virtualKey) {
  for (const KeyAlias& alias : kAliases)
    if (alias.virtualKey == virtualKey) return alias.name;
  if (settings::DeviceKeyCodeOf(virtualKey) == 0) return {};
  return LookupForm(settings::KeyNameOf(virtualKey));
}

// ---- events as text ----

std::optional<long long> WholeNumber(const std::string& text) {
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

// The pause of an item such as "100ms": its milliseconds (maybe out of range), or nothing when
// the item is not a pause at all.
std::optional<long long> PauseOf(const std::string& item) {
  if (item.size() < 3 || LookupForm(item.substr(item.size() - 2)) != "ms") return std::nullopt;
  std::string digits = item.substr(0, item.size() - 2);
  if (digits.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  std::optional<long long> value = WholeNumber(digits);
  return value ? *value : kMaxPauseMs + 1LL;  // only too many digits fail to read
}

// The keys of one item: "ctrl+c" gives ctrl and c, "ctrl++" ctrl and the + key.
std::vector<std::string> KeysOf(const std::string& item) {
  std::vector<std::string> keys = Split(item, '+');
  if (keys.size() >= 2 && keys.back().empty() && keys[keys.size() - 2].empty()) {
    keys.pop_back();
    keys.back() = "+";
  }
  for (std::string& key : keys) key = macro::TrimName(key);
  return keys;
}

std::string ParseReadable(const std::string& text, std::vector<MacroEvent>& events) {
  std::vector<std::string> items = Split(text, ',');
  for (size_t n = 0; n < items.size(); ++n) {
    const std::string item = macro::TrimName(items[n]);
    const std::string where = "--events item " + std::to_string(n + 1);
    if (item.empty()) return where + " is empty";
    if (std::optional<long long> pause = PauseOf(item)) {
      if (events.empty()) return where + ": a pause cannot come before the first key";
      // One pause between two keys, whatever way it was written.
      const long long total = *pause + (events.back().IsDelayRow() ? events.back().delay : 0);
      if (*pause < 1 || total > kMaxPauseMs)
        return where + ": a pause is 1 to 65535 ms, pauses in a row together too (got " + Quote(item) + ")";
      if (events.back().IsDelayRow()) events.pop_back();
      events.back().delay = static_cast<int>(total);
      events.push_back({0, 0, static_cast<int>(total)});
      continue;
    }
    std::vector<int> keys;
    for (const std::string& name : KeysOf(item)) {
      if (name.empty()) return where + ": a key is missing in " + Quote(item);
      int key = VirtualKeyOfName(name);
      if (key == 0) return where + ": unknown key " + Quote(name) + "; kzmousectl macro keys lists the names";
      keys.push_back(key);
    }
    for (int key : keys) events.push_back({key, 1, 0});
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) events.push_back({*key, 0, 0});
  }
  return {};
}

std::string ParseStored(const std::string& text, std::vector<MacroEvent>& events) {
  std::vector<std::string> rows = Split(text, ';');
  if (rows.back().empty()) rows.pop_back();  // the closing ";"
  for (size_t n = 0; n < rows.size(); ++n) {
    const std::string where = "--events row " + std::to_string(n + 1) + " (" + Quote(rows[n]) + "): ";
    std::vector<std::string> fields = Split(rows[n], ',');
    std::optional<long long> numbers[3];
    if (fields.size() == 3)
      for (size_t f = 0; f < 3; ++f) numbers[f] = WholeNumber(fields[f]);
    if (!numbers[0] || !numbers[1] || !numbers[2]) return where + "a stored row is three numbers KEY,DOWN,DELAY";
    const long long key = *numbers[0], down = *numbers[1], delay = *numbers[2];
    if (key < 0 || key > 0xFF || (key > 0 && settings::DeviceKeyCodeOf(static_cast<int>(key)) == 0))
      return where + "virtual key " + std::to_string(key) + " has no key code on the mouse";
    if (down != 0 && down != 1) return where + "DOWN is 1 (press) or 0 (release)";
    if (key == 0 && down != 0) return where + "a delay row (KEY 0) has DOWN 0";
    if (delay < 0 || delay > kMaxPauseMs) return where + "DELAY is 0 to 65535 ms";
    events.push_back({static_cast<int>(key), static_cast<int>(down), static_cast<int>(delay)});
  }
  return {};
}

// The events of --events, or why there are none.
std::string ParseEvents(const std::string& text, std::vector<MacroEvent>& events) {
  events.clear();
  if (macro::TrimName(text).empty()) return "--events is empty";
  std::string problem = text.find(';') != std::string::npos ? ParseStored(text, events) : ParseReadable(text, events);
  if (!problem.empty()) return problem;
  const int keyRows = macro::KeyEventCount(events);
  if (keyRows == 0) return "--events has no key";
  if (keyRows > macro::kMaxMacroKeyEvents)
    return "--events gives " + std::to_string(keyRows) + " key rows; a macro holds at most " +
           std::to_string(macro::kMaxMacroKeyEvents);
  return {};
}

// The events as --events would take them, when they can be written that way.
std::optional<std::string> ReadableText(const std::vector<MacroEvent>& events) {
  std::string text;
  for (size_t i = 0; i < events.size();) {
    size_t held = 0;  // presses in a row: the keys of one item
    while (i + held < events.size() && !events[i + held].IsDelayRow() && events[i + held].down == 1 &&
           events[i + held].delay == 0)
      ++held;
    if (held == 0 || i + 2 * held > events.size()) return std::nullopt;
    std::string item;
    for (size_t k = 0; k < held; ++k) {
      const MacroEvent& press = events[i + k];
      const MacroEvent& release = events[i + 2 * held - 1 - k];
      std::string name = TextNameOf(press.key);
      // Only the last release may carry the pause that follows the item.
      if (release.IsDelayRow() || release.down != 0 || release.key != press.key || (k > 0 && release.delay != 0) ||
          name.empty())
        return std::nullopt;
      item += (k > 0 ? "+" : "") + name;
    }
    text += (text.empty() ? "" : ",") + item;
    const int pause = events[i + 2 * held - 1].delay;
    i += 2 * held;
    if (pause != 0) {
      if (i >= events.size() || events[i] != MacroEvent{0, 0, pause}) return std::nullopt;
      text += "," + std::to_string(pause) + "ms";
      ++i;
    }
  }
  // Only a text that reads back as these very events (a name holding "," or ";" does not).
  std::vector<MacroEvent> again;
  if (text.find(';') != std::string::npos || !ParseReadable(text, again).empty() || again != events)
    return std::nullopt;
  return text;
}

// ---- the store ----

struct Store {
  QueueDispatcher dispatcher;
  std::unique_ptr<app::Services> services = MakeToolServices(dispatcher);
  std::optional<macro::MacroSets> sets;

  bool Open(const Invocation& call) {
    if (!OpenToolStore(call, *services)) return false;
    sets.emplace(services->db, services->session.UserName());
    return true;
  }
  store::Database& Db() { return services->db; }
};

struct MacroInfo {
  long long id = 0;
  std::string name, guid, setGuid;
  std::optional<std::string> setName;  // nothing once the set is deleted
  macro::StoredMacro stored;
};

// The user's macros in table order, or the one with `onlyId`.
std::vector<MacroInfo> UserMacros(Store& store, long long onlyId = 0) {
  std::map<std::string, std::string> setNames;
  for (const macro::MacroSetRow& set : store.sets->UserSets()) setNames.emplace(set.guid, set.name);
  store::Recordset rs(store.Db());
  if (!rs.Open("select * from macro_set_detail2 where user_name=? order by ID", {store.sets->User()})) return {};
  std::vector<MacroInfo> macros;
  for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
    MacroInfo info;
    rs.GetFieldValue(0, info.id);
    if (onlyId != 0 && info.id != onlyId) continue;
    rs.GetFieldValue(macro::kColMacroName, info.name);
    rs.GetFieldValue(macro::kColMacroGuid, info.guid);
    rs.GetFieldValue("mset_guid", info.setGuid);
    if (auto set = setNames.find(info.setGuid); set != setNames.end()) info.setName = set->second;
    macro::ReadStoredMacroById(store.Db(), info.id, info.stored);
    macros.push_back(std::move(info));
  }
  return macros;
}

int PlaysOf(const MacroInfo& info) { return macro::PlaysOf(info.stored.repeatCount, info.stored.repeatOn ? 1 : 0); }

std::string SetNameText(const MacroInfo& info) { return info.setName ? ShowableText(*info.setName) : "(deleted set)"; }

Json::Value SetNameJson(const MacroInfo& info) {
  return info.setName ? Json::Value(ValidUtf8(*info.setName)) : Json::Value();
}

std::string Plural(size_t count, const std::string& word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

// The buttons of the user's profiles that are set to this macro.
std::vector<std::string> ButtonsUsing(Store& store, const std::string& guid) {
  std::vector<std::string> buttons;
  store::Recordset rs(store.Db());
  if (!rs.Open("select * from main2 where user_name=? order by profile_id", {store.sets->User()})) return buttons;
  for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
    long long profile = 0;
    rs.GetFieldValue("profile_id", profile);
    for (int number = 1; number <= settings::kButtonCount; ++number) {
      std::string macroGuid;
      rs.GetFieldValue("btn" + std::to_string(number) + "_marco_id", macroGuid);
      if (macroGuid == guid)
        buttons.push_back("profile " + std::to_string(profile) + " button " + std::to_string(number));
    }
  }
  return buttons;
}

// What is left after the options: exactly `count` plain arguments.
std::string CheckPositional(const std::vector<std::string>& args, size_t count, const std::string& needs) {
  for (const std::string& arg : args)
    if (arg.size() > 2 && arg.rfind("--", 0) == 0) return "unknown option " + Quote(arg);
  if (args.size() < count) return needs;
  if (args.size() > count) return "unexpected argument " + Quote(args[count]);
  return {};
}

std::string NameProblem(const std::string& what, const std::string& text) {
  const std::string name = macro::TrimName(text);
  if (name.empty()) return "the " + what + " name is empty";
  if (int count = macro::CharacterCount(name); count > macro::kMaxNameCharacters)
    return "the " + what + " name has " + std::to_string(count) + " characters; at most " +
           std::to_string(macro::kMaxNameCharacters);
  return {};
}

int UnknownSet(const Invocation& call, const std::string& name) {
  return Fail(call, kExitUsage, "no macro set " + Quote(macro::TrimName(name)) + " (see kzmousectl macro set list)");
}

int UnknownMacro(const Invocation& call, const std::string& name) {
  return Fail(call, kExitUsage, "no macro " + Quote(macro::TrimName(name)) + " (see kzmousectl macro list)");
}

int StoreFailed(const Invocation& call, const std::string& what, Store& store) {
  return Fail(call, kExitFailure, "cannot " + what + ": " + store.Db().GetLastErrorString());
}

// ---- the actions ----

int SetAdd(const Invocation& call, Store& store, const std::string& name) {
  switch (store.sets->CreateSet(name)) {
    case macro::NameResult::kAdded:
      *call.out << "added macro set " << ShowableText(store.sets->CurrentSetName()) << "\n";
      return kExitOk;
    case macro::NameResult::kExists:
      return Fail(call, kExitUsage, macro::kSetNameExists);
    default:
      return StoreFailed(call, "store the macro set", store);
  }
}

int SetList(const Invocation& call, Store& store, bool json) {
  const std::vector<macro::MacroSetRow> sets = store.sets->UserSets();
  Json::Value list(Json::arrayValue);
  std::string text;
  for (const macro::MacroSetRow& set : sets) {
    const size_t count = store.sets->MacrosOfSet(set.guid).size();
    Json::Value entry;
    entry["name"] = ValidUtf8(set.name);
    entry["macros"] = static_cast<Json::UInt64>(count);
    list.append(entry);
    text += ShowableText(set.name) + " (" + Plural(count, "macro") + ")\n";
  }
  const std::string user = store.sets->User();
  if (json) {
    Json::Value v;
    v["user"] = ValidUtf8(user);
    v["sets"] = list;
    *call.out << JsonText(v);
  } else {
    *call.out << (sets.empty() ? "no macro sets of " + ShowableText(user) + "\n" : text);
  }
  return kExitOk;
}

int SetRemove(const Invocation& call, Store& store, const std::string& name) {
  std::optional<macro::MacroSetRow> set = store.sets->FindSet(name);
  if (!set) return UnknownSet(call, name);
  const size_t count = store.sets->MacrosOfSet(set->guid).size();
  store.sets->SelectSet(set->id);
  if (!store.sets->DeleteCurrentSet()) return StoreFailed(call, "delete the macro set", store);
  *call.out << "deleted macro set " << ShowableText(set->name);
  if (count > 0)
    *call.out << "; its " << Plural(count, "macro") << " stay, as buttons may use them (see kzmousectl macro list)";
  *call.out << "\n";
  return kExitOk;
}

int Add(const Invocation& call, Store& store, const std::string& setName, const std::string& name,
        const std::vector<MacroEvent>& events, std::optional<int> repeat) {
  std::optional<macro::MacroSetRow> set = store.sets->FindSet(setName);
  if (!set) return UnknownSet(call, setName);
  // The row and its events together, or neither: a failed run leaves no empty macro behind.
  store::Transaction transaction(store.Db());
  if (!transaction.Active()) return StoreFailed(call, "store the macro", store);
  store.sets->SelectSet(set->id);
  long long id = 0;
  switch (store.sets->CreateMacro(name, &id)) {
    case macro::NameResult::kAdded:
      break;
    case macro::NameResult::kExists:
      return Fail(call, kExitUsage, macro::kMacroNameExists);
    default:
      return StoreFailed(call, "store the macro", store);
  }
  macro::OpenMacro open(store.Db());
  open.Load(id, set->id, set->guid);
  open.MutableEvents() = events;
  if (repeat) {
    open.SetRepeatCount(*repeat);
    open.SetRepeatOn(true);
  }
  if (!open.Save() || !transaction.Commit()) return StoreFailed(call, "store the macro", store);
  const int plays = repeat.value_or(1);
  *call.out << "added macro " << ShowableText(macro::TrimName(name)) << " to set " << ShowableText(set->name) << ": "
            << Plural(static_cast<size_t>(macro::KeyEventCount(events)), "key row") << ", plays "
            << (plays == 1 ? "once" : std::to_string(plays) + " times") << "\n";
  return kExitOk;
}

std::string RowText(const MacroEvent& event) {
  std::string text = macro::MacroEventTypeText(event) + " " + macro::MacroEventValueText(event);
  return event.IsDelayRow() || event.delay == 0 ? text : text + ", then " + std::to_string(event.delay) + " ms";
}

int Show(const Invocation& call, Store& store, const std::string& name, bool json) {
  std::optional<macro::MacroRow> row = store.sets->FindMacro(name);
  std::vector<MacroInfo> found = row ? UserMacros(store, row->id) : std::vector<MacroInfo>{};
  if (found.empty()) return UnknownMacro(call, name);
  const MacroInfo& info = found.front();
  const std::vector<MacroEvent>& events = info.stored.events;
  const std::optional<std::string> readable = events.empty() ? std::optional<std::string>("") : ReadableText(events);
  const std::string stored = macro::FormatMacroValue(events);
  const std::vector<std::string> blocks = macro::BuildMacroBlocks(events);
  auto trimmed = [](std::string block) { return block.empty() ? block : block.substr(0, block.size() - 1); };
  if (json) {
    Json::Value v;
    v["name"] = ValidUtf8(info.name);
    v["guid"] = ValidUtf8(info.guid);
    v["set"] = SetNameJson(info);
    v["repeatCount"] = info.stored.repeatCount;
    v["repeatOn"] = info.stored.repeatOn;
    v["plays"] = PlaysOf(info);
    v["keyRows"] = macro::KeyEventCount(events);
    v["events"] = readable ? Json::Value(*readable) : Json::Value();
    v["stored"] = stored;
    Json::Value rows(Json::arrayValue);
    for (const MacroEvent& event : events) {
      Json::Value r;
      r["key"] = event.key;
      r["down"] = event.down;
      r["delay"] = event.delay;
      r["type"] = macro::MacroEventTypeText(event);
      r["value"] = macro::MacroEventValueText(event);
      rows.append(r);
    }
    v["rows"] = rows;
    Json::Value blockList(Json::arrayValue);
    for (const std::string& block : blocks) blockList.append(trimmed(block));
    v["deviceBlocks"] = blockList;
    *call.out << JsonText(v);
    return kExitOk;
  }
  std::ostream& out = *call.out;
  Row(out, "macro", ShowableText(info.name));
  Row(out, "set", SetNameText(info));
  Row(out, "plays", std::to_string(PlaysOf(info)) + (info.stored.repeatOn ? " (repeat on)" : " (repeat off)"));
  Row(out, "key rows", std::to_string(macro::KeyEventCount(events)));
  Row(out, "events", events.empty() ? "(none)" : readable ? *readable : "(not expressible as TEXT; see the rows)");
  Row(out, "stored", stored.empty() ? "(none)" : stored);
  for (size_t n = 0; n < events.size(); ++n) Row(out, "row " + std::to_string(n + 1), RowText(events[n]));
  for (size_t n = 0; n < blocks.size(); ++n) Row(out, "device block " + std::to_string(n + 1), trimmed(blocks[n]));
  return kExitOk;
}

int List(const Invocation& call, Store& store, bool json) {
  const std::vector<MacroInfo> macros = UserMacros(store);
  if (json) {
    Json::Value list(Json::arrayValue);
    for (const MacroInfo& info : macros) {
      Json::Value entry;
      entry["name"] = ValidUtf8(info.name);
      entry["guid"] = ValidUtf8(info.guid);
      entry["set"] = SetNameJson(info);
      entry["keyRows"] = macro::KeyEventCount(info.stored.events);
      entry["plays"] = PlaysOf(info);
      list.append(entry);
    }
    Json::Value v;
    v["user"] = ValidUtf8(store.sets->User());
    v["macros"] = list;
    *call.out << JsonText(v);
    return kExitOk;
  }
  if (macros.empty()) *call.out << "no macros of " << ShowableText(store.sets->User()) << "\n";
  for (const MacroInfo& info : macros)
    *call.out << ShowableText(info.name) << " (set " << SetNameText(info) << ", "
              << Plural(static_cast<size_t>(macro::KeyEventCount(info.stored.events)), "key row") << ", plays "
              << PlaysOf(info) << ")\n";
  return kExitOk;
}

int Remove(const Invocation& call, Store& store, const std::string& name) {
  std::optional<macro::MacroRow> row = store.sets->FindMacro(name);
  if (!row) return UnknownMacro(call, name);
  const std::vector<std::string> buttons = ButtonsUsing(store, row->guid);
  if (!store.sets->DeleteMacro(row->id)) return StoreFailed(call, "delete the macro", store);
  *call.out << "deleted macro " << ShowableText(row->name) << "\n";
  if (!buttons.empty()) {
    std::string list;
    for (const std::string& button : buttons) list += (list.empty() ? "" : ", ") + button;
    *call.out << "buttons still set to it, which no longer send it to the mouse: " << list
              << " (kzmousectl button set or reset changes them)\n";
  }
  return kExitOk;
}

int Keys(const Invocation& call) {
  for (const KeyAlias& alias : kAliases) Row(*call.out, alias.name, settings::KeyNameOf(alias.virtualKey));
  std::set<std::string> listed;
  for (int position = 0; settings::KeyCodeTable[position].virtualKey != -1; ++position) {
    const settings::KeyCodeEntry& entry = settings::KeyCodeTable[position];
    const std::string form = LookupForm(entry.name);
    // A name is listed once, and only when it stands for a key the mouse has a code for.
    if (entry.virtualKey <= 0 || VirtualKeyOfName(form) != entry.virtualKey || !listed.insert(form).second) continue;
    Row(*call.out, form, entry.name);
  }
  return kExitOk;
}

// Opens the store for an action that has passed every check of its arguments. `refuse` is the
// action's answer when the set or macro it needs is missing: without a database there is none,
// and that refusal must not leave a new database behind.
int WithStore(const Invocation& call, const std::function<int()>& refuse,
              const std::function<int(Store&)>& action) {
  Store store;
  if (refuse && !ToolStoreExists(*store.services)) return refuse();
  if (!store.Open(call)) return kExitFailure;
  return action(store);
}

int RunSet(const Invocation& call, std::vector<std::string> args) {
  if (args.empty()) return Usage(call, "macro set needs an action: add, list or rm");
  const std::string action = args.front();
  args.erase(args.begin());
  if (action == "list") {
    const bool json = TakeFlag(args, "--json");
    if (std::string problem = CheckPositional(args, 0, ""); !problem.empty()) return Usage(call, problem);
    return WithStore(call, nullptr, [&](Store& store) { return SetList(call, store, json); });
  }
  if (action != "add" && action != "rm") return Usage(call, "unknown macro set action " + Quote(action));
  if (std::string problem = CheckPositional(args, 1, "macro set " + action + " needs a set name"); !problem.empty())
    return Usage(call, problem);
  const std::string name = args[0];
  if (action == "add") {
    if (std::string problem = NameProblem("set", name); !problem.empty()) return Usage(call, problem);
    return WithStore(call, nullptr, [&](Store& store) { return SetAdd(call, store, name); });
  }
  return WithStore(
      call, [&] { return UnknownSet(call, name); },
      [&](Store& store) { return SetRemove(call, store, name); });
}

int RunMacro(const Invocation& call) {
  std::vector<std::string> args = call.args;
  if (args.empty()) return Usage(call, "macro needs an action");
  const std::string action = args.front();
  args.erase(args.begin());
  if (action == "set") return RunSet(call, std::move(args));
  if (action == "keys") {
    if (std::string problem = CheckPositional(args, 0, ""); !problem.empty()) return Usage(call, problem);
    return Keys(call);
  }
  if (action == "list") {
    const bool json = TakeFlag(args, "--json");
    if (std::string problem = CheckPositional(args, 0, ""); !problem.empty()) return Usage(call, problem);
    return WithStore(call, nullptr, [&](Store& store) { return List(call, store, json); });
  }
  if (action == "show" || action == "rm") {
    const bool json = action == "show" && TakeFlag(args, "--json");
    if (std::string problem = CheckPositional(args, 1, "macro " + action + " needs a macro name"); !problem.empty())
      return Usage(call, problem);
    const std::string name = args[0];
    return WithStore(
        call, [&] { return UnknownMacro(call, name); },
        [&](Store& store) { return action == "show" ? Show(call, store, name, json) : Remove(call, store, name); });
  }
  if (action != "add") return Usage(call, "unknown macro action " + Quote(action));

  std::optional<std::string> eventsText, repeatText;
  std::string problem;
  if (!TakeValue(args, "--events", eventsText, problem) || !TakeValue(args, "--repeat", repeatText, problem))
    return Usage(call, problem);
  if (problem = CheckPositional(args, 2, "macro add needs a set name and a macro name"); !problem.empty())
    return Usage(call, problem);
  if (!eventsText) return Usage(call, "macro add needs --events TEXT");
  if (problem = NameProblem("macro", args[1]); !problem.empty()) return Usage(call, problem);
  std::vector<MacroEvent> events;
  if (problem = ParseEvents(*eventsText, events); !problem.empty()) return Usage(call, problem);
  std::optional<int> repeat;
  if (repeatText) {
    std::optional<int> count = macro::OpenMacro::ParseRepeatCount(*repeatText);
    if (!count || *count < macro::kMinPlays || *count > macro::kMaxPlays)
      return Usage(call, "--repeat must be 1 to 255 (got " + Quote(*repeatText) + ")");
    repeat = count;
  }
  const std::string setName = args[0], name = args[1];
  return WithStore(
      call, [&] { return UnknownSet(call, setName); },
      [&](Store& store) { return Add(call, store, setName, name, events, repeat); });
}

const bool registered = RegisterCommandWithHelp(
    {"macro", "set|add|show|list|rm ...",
     "macro sets and macros of the current user (see macro --help)", &RunMacro},
    kUsage);

}  // namespace

int VirtualKeyOfName(const std::string& name) {
  const std::string form = LookupForm(name);
  if (form.empty()) return 0;
  for (const KeyAlias& alias : kAliases)
    if (form == alias.name) return alias.virtualKey;
  for (int position = 0; settings::KeyCodeTable[position].virtualKey != -1; ++position) {
    const settings::KeyCodeEntry& entry = settings::KeyCodeTable[position];
    // Entries without a virtual key ("Grave A") stand for nothing the mouse could be told.
    if (entry.virtualKey > 0 && form == LookupForm(entry.name) && settings::DeviceKeyCodeOf(entry.virtualKey) != 0)
      return entry.virtualKey;
  }
  return 0;
}

}  // namespace kz::cli
