#pragma once
// Macro sets and their macros, one user's: what the macro manager shows and does (the current
// set, its macros sorted by name, creating and deleting sets and macros under the name rules),
// and what the button page's menu lists. Rows are named by their ID locally and by their GUID
// everywhere else.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/database.h"

namespace kz::macro {

inline constexpr const char* kSetNameExists = "存在同名宏定义集名称！";
inline constexpr const char* kMacroNameExists = "存在同名名称！";
inline constexpr const char* kConfirmDeleteSet = "确定删除所选宏定义集？";
inline constexpr const char* kConfirmDeleteMacro = "确定删除所选宏定义？";
inline constexpr const char* kAddSetMenuText = "[+] 添加宏定义集";
inline constexpr const char* kDeleteSetMenuText = "[X] 删除宏定义集";
// The name columns hold this many characters.
inline constexpr int kMaxNameCharacters = 64;

// Column positions of macro_set2.
inline constexpr int kColSetName = 2;
inline constexpr int kColSetGuid = 3;

struct MacroSetRow {
  long long id = 0;
  std::string name;
  std::string guid;
  bool operator==(const MacroSetRow&) const = default;
};

struct MacroRow {
  long long id = 0;
  std::string name;
  std::string guid;
  bool operator==(const MacroRow&) const = default;
};

// Leading and trailing white space removed.
std::string TrimName(std::string_view text);
// Characters (not bytes) of a UTF-8 text; an invalid byte counts as one.
int CharacterCount(std::string_view text);

enum class NameResult { kAdded, kEmpty, kTooLong, kExists, kNoSet, kFailed };

class MacroSets {
 public:
  MacroSets(store::Database& db, std::string user);

  const std::string& User() const { return user_; }

  // The current set of the manager: 0 when none is picked.
  long long CurrentSetId() const { return current_.id; }
  const std::string& CurrentSetName() const { return current_.name; }
  const std::string& CurrentSetGuid() const { return current_.guid; }
  // The current set's macros, sorted by name.
  const std::vector<MacroRow>& Macros() const { return macros_; }

  // Makes the set with this ID current and reads its macros; an ID without a row (or 0) leaves
  // no set picked and the list empty.
  void SelectSet(long long setId);
  void Refresh();

  // A new set of this user under the trimmed name, made current. Refused when empty, longer than
  // the column holds, or the user has a set of that name.
  NameResult CreateSet(std::string_view name);
  // Deletes the current set's row; its macros stay (buttons keep using them). False when no set
  // is picked or the statement fails.
  bool DeleteCurrentSet();
  // A new macro in the current set (played once, no events yet); `macroId` receives its ID.
  // Refused without a current set, for an empty or too long name, or when the user has a macro of
  // that name in any set.
  NameResult CreateMacro(std::string_view name, long long* macroId = nullptr);
  // Deletes the macro row, then reads the current set again.
  bool DeleteMacro(long long macroId);

  // The user's sets in table order, and a set's macros in table order: the button page's menu.
  std::vector<MacroSetRow> UserSets() const;
  std::vector<MacroRow> MacrosOfSet(const std::string& setGuid) const;
  // The user's set or macro of this (trimmed) name.
  std::optional<MacroSetRow> FindSet(std::string_view name) const;
  std::optional<MacroRow> FindMacro(std::string_view name) const;

 private:
  NameResult CheckName(const std::string& name) const;

  store::Database& db_;
  const std::string user_;
  MacroSetRow current_;
  std::vector<MacroRow> macros_;
};

}  // namespace kz::macro
