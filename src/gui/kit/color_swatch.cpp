// ColorSwatch painting: the colour inside a dark frame; a ring when highlighted or hovered.
#include "gui/kit/color_swatch.h"

#include <QPainter>

#include "gui/kit/theme.h"

namespace kzgui::kit {

ColorSwatch::ColorSwatch(const QColor& colour, QWidget* parent)
    : QAbstractButton(parent), colour_(colour) {
  setCheckable(true);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_Hover, true);
}

void ColorSwatch::setColor(const QColor& colour) {
  if (colour_ == colour) return;
  colour_ = colour;
  update();
}

void ColorSwatch::setClickable(bool on) {
  clickable_ = on;
  setAttribute(Qt::WA_TransparentForMouseEvents, !on);
  update();
}

void ColorSwatch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QColor ring = Theme::BorderLight();
  if (isChecked())
    ring = Theme::Text();
  else if (clickable_ && underMouse())
    ring = Theme::AccentLight();
  painter.setPen(QPen(ring, isChecked() ? 2 : 1));
  painter.setBrush(Theme::Window());
  painter.drawRoundedRect(outer, 3, 3);
  const qreal inset = isChecked() ? 3.5 : 2.5;
  painter.setPen(Qt::NoPen);
  painter.setBrush(isEnabled() ? colour_ : colour_.darker(200));
  painter.drawRoundedRect(outer.adjusted(inset, inset, -inset, -inset), 2, 2);
}

}  // namespace kzgui::kit
