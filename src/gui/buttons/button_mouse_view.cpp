// Drawing of ButtonMouseView, in the look of the lighting page's mouse. Every shape is placed in
// proportions of the body, so the picture scales with the widget.
#include "gui/buttons/button_mouse_view.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>

#include "gui/kit/theme.h"

namespace kzgui {
namespace {

using kit::Theme;

constexpr qreal kBodyAspect = 0.58;  // width / height of the body

// Centre and size of each button, in fractions of the body's width (x, w) and height (y, h).
// The side buttons sit just inside the outline where the body is widest, so they read as side
// buttons while staying on the picture.
struct Spot {
  qreal x, y, w, h;
};
constexpr Spot kSpots[ButtonMouseView::kButtons] = {
    {0.27, 0.19, 0.26, 0.16},    // 1 left button
    {0.73, 0.19, 0.26, 0.16},    // 2 right button
    {0.50, 0.175, 0.13, 0.17},   // 3 wheel
    {0.50, 0.36, 0.12, 0.05},    // 4 DPI, behind the wheel
    {0.045, 0.47, 0.07, 0.10},   // 5 forward, thumb side front
    {0.045, 0.59, 0.07, 0.10},   // 6 back, thumb side rear
    {0.955, 0.45, 0.07, 0.09},   // 7 side key
    {0.50, 0.055, 0.11, 0.035},  // 8 wheel forward
    {0.50, 0.295, 0.11, 0.035},  // 9 wheel back
    {0.955, 0.56, 0.07, 0.05},   // 10 side wheel forward
    {0.955, 0.63, 0.07, 0.05},   // 11 side wheel back
};

// Buttons that stand for a turn rather than a press carry an arrow, up or down.
int ArrowOf(int number) {
  switch (number) {
    case 8:
    case 10: return -1;
    case 9:
    case 11: return 1;
    default: return 0;
  }
}

void PaintArrow(QPainter& painter, const QRectF& spot, int direction, const QColor& colour) {
  const qreal half = std::min(spot.width(), spot.height()) * 0.32;
  const QPointF c = spot.center();
  QPainterPath arrow;
  arrow.moveTo(c.x() - half, c.y() - direction * half / 2);
  arrow.lineTo(c.x() + half, c.y() - direction * half / 2);
  arrow.lineTo(c.x(), c.y() + direction * half / 2);
  arrow.closeSubpath();
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawPath(arrow);
}

}  // namespace

ButtonMouseView::ButtonMouseView(QWidget* parent) : QWidget(parent) {
  // The buttons beside the picture take the clicks; the picture only points.
  setAttribute(Qt::WA_TransparentForMouseEvents, true);
}

void ButtonMouseView::setMarked(int number) {
  if (number < 1 || number > kButtons) number = 0;
  if (number == marked_) return;
  marked_ = number;
  update();
}

QRectF ButtonMouseView::bodyRect() const {
  const QRectF room = QRectF(rect()).adjusted(16, 16, -16, -16);
  return Theme::MouseBodyIn(room, kBodyAspect);
}

QRectF ButtonMouseView::spotRect(int number) const {
  if (number < 1 || number > kButtons) return {};
  const QRectF b = bodyRect();
  const Spot& s = kSpots[number - 1];
  const qreal w = s.w * b.width(), h = s.h * b.height();
  return {b.left() + s.x * b.width() - w / 2, b.top() + s.y * b.height() - h / 2, w, h};
}

void ButtonMouseView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  Theme::PaintMouseBody(painter, bodyRect());

  // The main buttons are areas of the shell, not parts of their own: they show only when marked.
  for (int number = 3; number <= kButtons; ++number) {
    const QRectF spot = spotRect(number);
    const qreal radius = std::min(spot.width(), spot.height()) / 2;
    painter.setPen(QPen(Theme::Border(), 1));
    painter.setBrush(Theme::Window());
    painter.drawRoundedRect(spot, radius, radius);
    if (const int arrow = ArrowOf(number)) PaintArrow(painter, spot, arrow, Theme::TextDim());
  }

  if (marked_ == 0) return;
  const QRectF spot = spotRect(marked_);
  const qreal radius = std::min(spot.width(), spot.height()) / 2;
  // A soft glow, then the button in the accent colour, a dashed ring and its number.
  QRadialGradient glow(spot.center(), std::max(spot.width(), spot.height()));
  QColor inner = Theme::Accent();
  inner.setAlpha(140);
  QColor outer = Theme::Accent();
  outer.setAlpha(0);
  glow.setColorAt(0, inner);
  glow.setColorAt(1, outer);
  painter.setPen(Qt::NoPen);
  painter.setBrush(glow);
  painter.drawEllipse(spot.center(), std::max(spot.width(), spot.height()), std::max(spot.width(), spot.height()));

  QLinearGradient accent(spot.topLeft(), spot.bottomLeft());
  accent.setColorAt(0, Theme::AccentLight());
  accent.setColorAt(1, Theme::Accent());
  painter.setPen(QPen(Theme::AccentLight().lighter(115), 1));
  painter.setBrush(accent);
  painter.drawRoundedRect(spot, radius, radius);
  painter.setPen(QPen(Theme::Text(), 2, Qt::DashLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(spot.adjusted(-5, -5, 5, 5), radius + 5, radius + 5);

  painter.setPen(Theme::Text());
  painter.setFont(Theme::Font(std::clamp(static_cast<int>(std::min(spot.width() * 0.6, spot.height() * 0.8)), 9, 16),
                              true));
  painter.drawText(spot, Qt::AlignCenter, QString::number(marked_));
}

}  // namespace kzgui
