#include "gui/app/language.h"

#include <QCoreApplication>
#include <QTranslator>

namespace kzgui {

bool InstallLanguage(Language language) {
  static QTranslator* installed = nullptr;
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
    installed = nullptr;
  }
  if (language == Language::kChinese) return true;
  auto translator = new QTranslator;
  if (!translator->load(QStringLiteral(":/i18n/kzmouse_en.qm"))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  installed = translator;
  return true;
}

}  // namespace kzgui
