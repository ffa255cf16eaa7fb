#include "gui/kit/tr.h"

#include <QCoreApplication>

namespace kzgui {

QString Tr(const char* utf8) { return QCoreApplication::translate("kz", utf8); }
QString Tr(const std::string& utf8) { return Tr(utf8.c_str()); }
QString Tr(const QString& text) { return Tr(text.toUtf8().toStdString()); }

}  // namespace kzgui
