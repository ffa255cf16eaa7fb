#include "gui/cloud/account_panel.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include "gui/kit/theme.h"

namespace kzgui {

QRect PanelRect(int left, int top, int right, int bottom) { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }

QRect AccountPanel::Area() { return PanelRect(675, 54, 993, 135); }

AccountPanel::AccountPanel(QWidget* parent) : kit::CDlgBase(parent, Qt::Widget) {
  const QRect area = Area();
  setGeometry(area);
  setMask(QRegion(0, 0, area.width(), kTabRowTop) +
          QRegion(kTabsRight, 0, area.width() - kTabsRight, area.height()));
}

void AccountPanel::PaintBackground(QPainter& painter) {
  using kit::Theme;
  painter.fillRect(rect(), Theme::Window());
  // One outline around both parts: the strip beside the tabs hangs from the top row.
  const qreal right = width() - 0.5, bottom = height() - 0.5, row = kTabRowTop - 0.5, left = kTabsRight + 0.5;
  QPainterPath outline;
  outline.moveTo(0.5, 0.5);
  outline.lineTo(right, 0.5);
  outline.lineTo(right, bottom);
  outline.lineTo(left, bottom);
  outline.lineTo(left, row);
  outline.lineTo(0.5, row);
  outline.closeSubpath();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Theme::Border());
  painter.setBrush(Theme::Panel());
  painter.drawPath(outline);
  painter.setPen(Theme::BorderLight());
  painter.drawLine(QPointF(1.5, 1.5), QPointF(right - 1, 1.5));
}

}  // namespace kzgui
