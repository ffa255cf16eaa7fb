#pragma once
// Which language the program's texts are shown in: Chinese, its own, unless the user asks for
// English with KZMOUSE_LANG=en or chose it in the window's tray menu (kept in the data folder as
// "language"). Only shown texts follow it; logs, stored values and commands never do.
#include <string>

namespace kz {

enum class Language { kChinese, kEnglish };

// KZMOUSE_LANG ("en" or "zh") wins over the remembered choice; anything else counts as unset.
Language ChosenLanguage(const std::string& dataDir);
// Remembers a choice; false when the file could not be written.
bool RememberLanguage(const std::string& dataDir, Language language);

}  // namespace kz
