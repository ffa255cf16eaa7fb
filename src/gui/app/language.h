#pragma once
// The window's language: the choice itself is the core's (base/language.h); here it becomes the
// translator that Tr reads.
#include "base/language.h"

namespace kzgui {

using kz::ChosenLanguage;
using kz::Language;
using kz::RememberLanguage;

// Makes Tr give the language's texts for the rest of the run (Chinese needs no translator).
// False when the translation could not be loaded; the texts then stay Chinese.
bool InstallLanguage(Language language);

}  // namespace kzgui
