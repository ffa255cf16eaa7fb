#include "gui/app/app_icon.h"

#include <QPainter>
#include <QPixmap>

#include "gui/kit/theme.h"

namespace kzgui {

namespace {

// The drawn stand-in for a run from the build folder, where no icon theme holds the program's.
QIcon DrawnIcon() {
  QIcon icon;
  for (int size : {16, 32, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(kit::Theme::Accent());
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(0, 0, size, size), size / 5.0, size / 5.0);
    painter.setPen(Qt::white);
    painter.setFont(kit::Theme::Font(size / 2, true));
    painter.drawText(pixmap.rect(), Qt::AlignCenter, "KZ");
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon AppIcon() { return QIcon::fromTheme(QStringLiteral("kzmouse"), DrawnIcon()); }

}  // namespace kzgui
