#pragma once
// The program's texts are its Chinese ones; Tr gives the text in the language the user chose
// (data/translations/, one context "kz" keyed by the Chinese text). Only what is shown goes
// through it: log lines, stored values and everything sent to the mouse or the service keep the
// Chinese texts whatever the language.
#include <QString>
#include <string>

namespace kzgui {

QString Tr(const char* utf8);
QString Tr(const std::string& utf8);
QString Tr(const QString& text);

}  // namespace kzgui
