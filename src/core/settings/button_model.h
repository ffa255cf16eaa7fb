#pragma once
// The state and operations of the button page: what each of the eleven buttons does in one
// profile, the captions the page shows, and the write sequence that programs the mouse.
//
// One thread owns a model (the user-interface thread). The device reader's write-back after a
// status report is handed to that thread, so it never overlaps an edit.
#include <array>
#include <string>

#include "base/thread_owner.h"
#include "settings/button_commands.h"
#include "settings/device_link.h"
#include "settings/profile_key.h"
#include "store/database.h"
#include "store/schema.h"

namespace kz::settings {

class ButtonModel {
 public:
  explicit ButtonModel(store::Database& db, DeviceLink link = DefaultDeviceLink());

  const ButtonSlots& Slots() const { return slots_; }
  // `number` 1..11.
  const ButtonSlot& Slot(int number) const { return slots_[static_cast<size_t>(number - 1)]; }
  const std::string& Caption(int number) const { return captions_[static_cast<size_t>(number - 1)]; }
  // Takes all slots at once (a profile from elsewhere); captions are refreshed.
  void SetSlots(const ButtonSlots& slots);
  // Macro names may change in the macro manager; the page refreshes after it closes.
  void RefreshCaptions();

  // The left and right buttons keep their functions on the page.
  static bool IsReassignable(int number) { return number >= 3 && number <= kButtonCount; }

  // Page operations.
  // The button map, then per button its macro blocks or its key combination, with a pause
  // before each of those. Reads the macros from the store, so it runs on the owning thread.
  WriteSequence BuildWrite() const;
  // Sends BuildWrite() on the model's link; false at the first refusal (what was sent stays in
  // the mouse).
  bool WriteToDevice();
  // kNoRow and kFailed change nothing (see LoadResult).
  LoadResult Load(const ProfileKey& key);
  // True only for kLoaded.
  bool LoadFromStore(const ProfileKey& key) { return Load(key) == LoadResult::kLoaded; }
  // Adds the profile row when missing, so an assignment made before any other page saved is kept.
  bool SaveToStore(const ProfileKey& key);
  void ResetToDefaults();

  // User actions; false when refused (button 1 or 2, an unknown button, a key the mouse has no
  // code for, a macro that does not exist).
  bool RestoreDefault(int number);
  bool SetSingleKey(int number, int virtualKey, int modifiers);
  bool AssignMacro(int number, const std::string& macroGuid);
  // The menu names macros by their row ID.
  bool AssignMacroById(int number, long long macroId);

 private:
  static bool ValidNumber(int number) { return number >= 1 && number <= kButtonCount; }
  ButtonSlot& SlotMutable(int number) { return slots_[static_cast<size_t>(number - 1)]; }
  void RefreshCaption(int number);
  void AppendMacro(WriteSequence& write, int number) const;
  void AppendKeyCombination(WriteSequence& write, int number) const;

  store::Database& db_;
  DeviceLink link_;
  ButtonSlots slots_;
  std::array<std::string, kButtonCount> captions_;
  ThreadOwner owner_;
};

}  // namespace kz::settings
