// Drawing of LightMouseView. Every shape is placed in proportions of the body, so the picture
// scales with the widget.
#include "gui/settings/light_mouse_view.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "gui/kit/theme.h"

namespace kzgui {
namespace {

using kit::Theme;

constexpr qreal kBodyAspect = 0.58;  // width / height of the body

}  // namespace

LightMouseView::LightMouseView(QWidget* parent) : QWidget(parent) { setCursor(Qt::PointingHandCursor); }

void LightMouseView::setLight(int index, const QColor& colour, bool on) {
  Light& light = lights_.at(static_cast<size_t>(index));
  if (light.colour == colour && light.on == on) return;
  light.colour = colour;
  light.on = on;
  update();
}

void LightMouseView::setEdited(int index) {
  if (index < 0 || index >= kLights || index == edited_) return;
  edited_ = index;
  update();
}

QRectF LightMouseView::bodyRect() const {
  const QRectF room = QRectF(rect()).adjusted(24, 16, -24, -16);
  return Theme::MouseBodyIn(room, kBodyAspect);
}

QRectF LightMouseView::lightRect(int index) const {
  const QRectF b = bodyRect();
  const qreal cx = b.center().x();
  if (index == 0) {  // the wheel
    const qreal w = b.width() * 0.13;
    return {cx - w / 2, b.top() + b.height() * 0.09, w, b.height() * 0.17};
  }
  const qreal d = b.width() * 0.34;  // the round badge on the palm
  return {cx - d / 2, b.top() + b.height() * 0.66, d, d};
}

void LightMouseView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  Theme::PaintMouseBody(painter, bodyRect());

  for (int i = 0; i < kLights; ++i) {
    const Light& light = lights_[static_cast<size_t>(i)];
    const QRectF spot = lightRect(i);
    const qreal radius = spot.width() / 2;
    if (light.on) {
      // A soft glow around a lit light, in its own colour.
      QRadialGradient glow(spot.center(), spot.height() * 1.1);
      QColor inner = light.colour;
      inner.setAlpha(150);
      QColor outer = light.colour;
      outer.setAlpha(0);
      glow.setColorAt(0, inner);
      glow.setColorAt(1, outer);
      painter.setPen(Qt::NoPen);
      painter.setBrush(glow);
      painter.drawEllipse(spot.center(), spot.height() * 1.1, spot.height() * 1.1);
    }
    painter.setPen(QPen(Theme::Border(), 1));
    painter.setBrush(light.on ? light.colour : Theme::Window());
    painter.drawRoundedRect(spot, radius, radius);
    if (i == edited_) {
      painter.setPen(QPen(Theme::Text(), 2, Qt::DashLine));
      painter.setBrush(Qt::NoBrush);
      const QRectF ring = spot.adjusted(-6, -6, 6, 6);
      painter.drawRoundedRect(ring, radius + 6, radius + 6);
    }
    painter.setPen(i == edited_ ? Theme::Text() : Theme::TextDim());
    painter.setFont(Theme::Font(14, i == edited_));
    const QRectF number(spot.right() + 10, spot.center().y() - 10, 20, 20);
    painter.drawText(number, Qt::AlignCenter, QString::number(i + 1));
  }
}

void LightMouseView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    for (int i = 0; i < kLights; ++i) {
      if (lightRect(i).adjusted(-8, -8, 8, 8).contains(event->position())) {
        emit lightClicked(i);
        return;
      }
    }
  }
  event->ignore();
}

}  // namespace kzgui
