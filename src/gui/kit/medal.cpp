#include "gui/kit/medal.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace kzgui::kit {
namespace {

QPainterPath Star(const QPointF& centre, qreal outer, qreal inner) {
  QPainterPath path;
  for (int i = 0; i < 10; ++i) {
    const qreal radius = i % 2 == 0 ? outer : inner;
    const qreal angle = -M_PI / 2 + i * M_PI / 5;
    const QPointF point(centre.x() + radius * qCos(angle), centre.y() + radius * qSin(angle));
    if (i == 0) path.moveTo(point);
    else path.lineTo(point);
  }
  path.closeSubpath();
  return path;
}

}  // namespace

Medal::Medal(Look look, QWidget* parent) : QWidget(parent), look_(look) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Medal::setLook(Look look) {
  if (look_ == look) return;
  look_ = look;
  update();
}

void Medal::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Paint(painter, rect(), look_);
}

void Medal::Paint(QPainter& painter, const QRectF& rect, Look look) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal side = qMin(rect.width(), rect.height());
  const QRectF box(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
  const bool earned = look == Look::Earned;

  // Ribbon: two bands from the top edge down behind the medal.
  const QColor ribbonA = earned ? QColor(200, 48, 40) : QColor(90, 96, 106);
  const QColor ribbonB = earned ? QColor(30, 90, 170) : QColor(70, 75, 84);
  const qreal w = side * 0.22;
  QPolygonF left({QPointF(box.left() + side * 0.22, box.top()), QPointF(box.left() + side * 0.22 + w, box.top()),
                  QPointF(box.center().x() + w * 0.2, box.top() + side * 0.5),
                  QPointF(box.center().x() - w * 0.8, box.top() + side * 0.5)});
  QPolygonF right({QPointF(box.right() - side * 0.22 - w, box.top()), QPointF(box.right() - side * 0.22, box.top()),
                   QPointF(box.center().x() + w * 0.8, box.top() + side * 0.5),
                   QPointF(box.center().x() - w * 0.2, box.top() + side * 0.5)});
  painter.setPen(Qt::NoPen);
  painter.setBrush(ribbonA);
  painter.drawPolygon(left);
  painter.setBrush(ribbonB);
  painter.drawPolygon(right);

  // The medal itself.
  const qreal radius = side * 0.3;
  const QPointF centre(box.center().x(), box.bottom() - radius - side * 0.04);
  if (earned) {
    QRadialGradient gold(centre - QPointF(radius * 0.3, radius * 0.3), radius * 1.4);
    gold.setColorAt(0, QColor(255, 236, 150));
    gold.setColorAt(0.6, QColor(222, 178, 60));
    gold.setColorAt(1, QColor(160, 112, 24));
    painter.setBrush(gold);
    painter.setPen(QPen(QColor(120, 84, 18), side * 0.03));
  } else {
    painter.setBrush(QColor(60, 64, 72));
    painter.setPen(QPen(QColor(150, 156, 166), side * 0.03, Qt::DashLine));
  }
  painter.drawEllipse(centre, radius, radius);
  painter.setPen(Qt::NoPen);
  painter.setBrush(earned ? QColor(255, 250, 220) : QColor(120, 126, 136));
  painter.drawPath(Star(centre, radius * 0.62, radius * 0.26));
  painter.restore();
}

}  // namespace kzgui::kit
