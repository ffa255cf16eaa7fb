#include "settings/button_model.h"

#include "macro/macro_event.h"
#include "macro/macro_store.h"
#include "keys/key_codes.h"
#include "store/users.h"

namespace kz::settings {
namespace {

std::string Column(int number, const char* suffix) { return "btn" + std::to_string(number) + suffix; }

}  // namespace

ButtonModel::ButtonModel(store::Database& db, DeviceLink link) : db_(db), link_(std::move(link)) { ResetToDefaults(); }

void ButtonModel::SetSlots(const ButtonSlots& slots) {
  slots_ = slots;
  for (ButtonSlot& slot : slots_) slot.modifiers &= kModifierMask;
  RefreshCaptions();
}

void ButtonModel::RefreshCaptions() {
  for (int number = 1; number <= kButtonCount; ++number) RefreshCaption(number);
}

void ButtonModel::RefreshCaption(int number) {
  const ButtonSlot& slot = Slot(number);
  std::string& caption = captions_[static_cast<size_t>(number - 1)];
  if (slot.HasMacro())
    caption = macro::MacroNameOf(db_, slot.macro);
  else if (slot.HasKey())
    caption = KeyCaption(slot.key, slot.modifiers);
  else
    caption = kButtonDefaults[number - 1].caption;
}

WriteSequence ButtonModel::BuildWrite() const {
  owner_.Check("buttons");
  WriteSequence write;
  std::string map = ButtonMapCommand(slots_);
  write.Log(" 3.start write single key set " + map);
  write.Send(map);
  write.Log(" write single key set ok");
  for (int number = 1; number <= kButtonCount; ++number) {
    const ButtonSlot& slot = Slot(number);
    if (slot.HasMacro())
      AppendMacro(write, number);
    else if (slot.HasKeyCombination())
      AppendKeyCombination(write, number);
  }
  return write;
}

bool ButtonModel::WriteToDevice() { return BuildWrite().Run(link_); }

void ButtonModel::AppendMacro(WriteSequence& write, int number) const {
  macro::DeviceMacro deviceMacro = macro::LoadMacroForDevice(db_, Slot(number).macro);
  std::vector<std::string> blocks = macro::BuildMacroBlocks(deviceMacro.events);
  if (static_cast<int>(blocks.size()) > kMaxMacroBlocks) {
    // Only a macro from outside this program can be this long; its tail is not sent rather
    // than framed as some other command.
    write.Log(" macro of button " + std::to_string(number) + " has " +
              std::to_string(macro::KeyEventCount(deviceMacro.events)) + " key events, sending the first " +
              std::to_string(kMaxMacroBlocks * macro::kEventsPerBlock));
    blocks.resize(kMaxMacroBlocks);
  }
  for (size_t block = 0; block < blocks.size(); ++block) {
    write.Pause(kCommandPauseMs);
    std::string command = ButtonMacroCommand(static_cast<int>(block), number, deviceMacro.plays, blocks[block]);
    write.Log(" 4." + std::to_string(block + 1) + " start write marco key set " + command);
    write.Send(command);
    write.Log(" write marco key set ok");
  }
}

void ButtonModel::AppendKeyCombination(WriteSequence& write, int number) const {
  write.Pause(kCommandPauseMs);
  std::string command = KeyComboMacro(Slot(number), number);
  write.Log(" 4. extra: start write marco key set " + command);
  write.Send(command);
  write.Log(" write extra marco key set ok");
}

LoadResult ButtonModel::Load(const ProfileKey& key) {
  owner_.Check("buttons");
  store::Recordset rs(db_);
  if (const LoadResult opened = OpenStoredProfileRow(rs, key); opened != LoadResult::kLoaded) return opened;
  ButtonSlots loaded;
  for (int number = 1; number <= kButtonCount; ++number) {
    ButtonSlot& slot = loaded[static_cast<size_t>(number - 1)];
    slot.key = static_cast<int>(IntColumn(rs, Column(number, "_keycode")).value_or(0));
    slot.modifiers = static_cast<int>(IntColumn(rs, Column(number, "_extra")).value_or(0));
    rs.GetFieldValue(Column(number, "_marco_id"), slot.macro);
  }
  SetSlots(loaded);
  return LoadResult::kLoaded;
}

bool ButtonModel::SaveToStore(const ProfileKey& key) {
  owner_.Check("buttons");
  store::Recordset rs(db_);
  if (!OpenProfileRowForSave(rs, key)) return false;
  for (int number = 1; number <= kButtonCount; ++number) {
    const ButtonSlot& slot = Slot(number);
    rs.SetFieldValue(Column(number, ""), 0LL);
    rs.SetFieldValue(Column(number, "_keycode"), static_cast<long long>(slot.key));
    rs.SetFieldValue(Column(number, "_extra"), static_cast<long long>(slot.modifiers));
    rs.SetFieldValue(Column(number, "_marco_id"), slot.macro);
  }
  if (rs.Update()) return true;
  rs.CancelUpdate();
  return false;
}

void ButtonModel::ResetToDefaults() {
  slots_ = ButtonSlots{};
  for (int number = 1; number <= kButtonCount; ++number) captions_[static_cast<size_t>(number - 1)] =
      kButtonDefaults[number - 1].caption;
}

bool ButtonModel::RestoreDefault(int number) {
  if (!IsReassignable(number)) return false;
  SlotMutable(number) = ButtonSlot{};
  RefreshCaption(number);
  return true;
}

bool ButtonModel::SetSingleKey(int number, int virtualKey, int modifiers) {
  if (!IsReassignable(number) || DeviceKeyCodeOf(virtualKey) == 0) return false;
  SlotMutable(number) = ButtonSlot{virtualKey, modifiers & kModifierMask, std::string()};
  RefreshCaption(number);
  return true;
}

bool ButtonModel::AssignMacro(int number, const std::string& macroGuid) {
  if (!IsReassignable(number) || macroGuid.empty()) return false;
  SlotMutable(number) = ButtonSlot{0, 0, macroGuid};
  RefreshCaption(number);
  return true;
}

bool ButtonModel::AssignMacroById(int number, long long macroId) {
  return AssignMacro(number, macro::MacroGuidOfId(db_, macroId));
}

}  // namespace kz::settings
