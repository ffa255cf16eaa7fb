// The tool's messages in the user's language: the texts the tool shares with the window are
// Chinese; with English chosen they are shown as the window shows them.
#include "cli_commands.h"

#include <map>
#include <string>

#include "base/language.h"
#include "base/paths.h"

namespace kz::cli {

std::string Say(const std::string& text) {
  static const bool english = ChosenLanguage(paths::DataDir()) == Language::kEnglish;
  if (!english) return text;
  static const std::map<std::string, std::string> table = {
#include "english_table.inc"
  };
  auto it = table.find(text);
  return it == table.end() ? text : it->second;
}

}  // namespace kz::cli
