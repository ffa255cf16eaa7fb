#pragma once
// Macros as rows of macro_set_detail2: what the button write sequence sends for a macro GUID.
#include <string>
#include <vector>

#include "macro/macro_event.h"
#include "store/database.h"

namespace kz::macro {

// Column positions of macro_set_detail2; rows are read by position.
inline constexpr int kColMacroGuid = 3;
inline constexpr int kColMacroName = 4;
inline constexpr int kColMacroValue = 5;
inline constexpr int kColMacroRepeat = 6;
inline constexpr int kColRepeatSel = 7;

inline constexpr int kMinPlays = 1;
inline constexpr int kMaxPlays = 255;

struct DeviceMacro {
  bool found = false;
  std::vector<MacroEvent> events;
  int plays = 1;  // 1..255
};

// One stored macro row as the program uses it.
struct StoredMacro {
  std::vector<MacroEvent> events;
  int repeatCount = 1;  // 1..255; a stored count outside that range is brought into it
  bool repeatOn = false;
};

// Reads the macro row with this GUID / this ID; false when there is no such row.
bool ReadStoredMacroByGuid(store::Database& db, const std::string& macroGuid, StoredMacro& out);
bool ReadStoredMacroById(store::Database& db, long long macroId, StoredMacro& out);

// Plays the mouse is told: the repeat count when repeat is on, else 1; a stored count outside
// 1..255 is brought into that range.
int PlaysOf(long long macroRepeat, long long repeatSel);

// The macro with this GUID, its events and plays; not found gives no events and 1 play.
DeviceMacro LoadMacroForDevice(store::Database& db, const std::string& macroGuid);

// macro_name of the macro with this GUID; "" when there is none.
std::string MacroNameOf(store::Database& db, const std::string& macroGuid);
// macro_guid of the macro with this ID; "" when there is none.
std::string MacroGuidOfId(store::Database& db, long long macroId);

}  // namespace kz::macro
