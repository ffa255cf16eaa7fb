#pragma once
// The macro open in the macro editing page: which row it is, its events and how often it plays.
// The page shows and edits this state; recording appends to Events().
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "macro/macro_event.h"
#include "store/database.h"

namespace kz::macro {

// Shown when a repeat count outside 1..255 is refused.
inline constexpr const char* kRepeatRangeMessage = "重复次数必须是 1 到 255 之间的整数";

class OpenMacro {
 public:
  explicit OpenMacro(store::Database& db) : db_(db) {}

  // Saves the macro held now, then opens the row with this ID. The IDs are remembered even when
  // no row comes back (the list then stays empty and a later save changes no row). True when a
  // row was loaded.
  bool Load(long long macroId, long long setId, const std::string& setGuid);
  // Writes events, repeat count and repeat toggle to the open row. False when no macro is open
  // or the statement fails. The page calls it before it closes, so edits are never dropped.
  bool Save();

  long long MacroId() const { return macroId_; }
  long long SetId() const { return setId_; }
  const std::string& SetGuid() const { return setGuid_; }

  const std::vector<MacroEvent>& Events() const { return events_; }
  std::vector<MacroEvent>& MutableEvents() { return events_; }
  void ClearEvents() { events_.clear(); }

  int RepeatCount() const { return repeatCount_; }
  // Refuses (false, count unchanged) anything outside 1..255.
  bool SetRepeatCount(int count);
  // The count field's text: only a whole decimal number in 1..255 is taken.
  bool SetRepeatCountText(std::string_view text);
  bool RepeatOn() const { return repeatOn_; }
  void SetRepeatOn(bool on) { repeatOn_ = on; }

  // Whole decimal number without sign or blanks, or nothing.
  static std::optional<int> ParseRepeatCount(std::string_view text);

 private:
  store::Database& db_;
  long long macroId_ = 0;
  long long setId_ = 0;
  std::string setGuid_;
  std::vector<MacroEvent> events_;
  int repeatCount_ = 1;
  bool repeatOn_ = false;
};

}  // namespace kz::macro
