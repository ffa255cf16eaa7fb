#include "base/language.h"

#include <cstdlib>

#include "base/paths.h"

namespace kz {
namespace {

constexpr const char* kLanguageFile = "language";

bool Parse(std::string text, Language& language) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\r')) text.pop_back();
  if (text == "en") language = Language::kEnglish;
  else if (text == "zh") language = Language::kChinese;
  else return false;
  return true;
}

}  // namespace

Language ChosenLanguage(const std::string& dataDir) {
  Language language = Language::kChinese;
  if (const char* env = std::getenv("KZMOUSE_LANG"); env && Parse(env, language)) return language;
  std::string text;
  if (!dataDir.empty() && paths::ReadOwnFile(dataDir + kLanguageFile, text) && Parse(text, language)) return language;
  return Language::kChinese;
}

bool RememberLanguage(const std::string& dataDir, Language language) {
  if (dataDir.empty()) return false;
  return paths::WriteFileAtomic(dataDir + kLanguageFile, language == Language::kEnglish ? "en\n" : "zh\n", 0600);
}

}  // namespace kz
