// Painting of SkinButton; the looks differ only in corner radius and caption size.
#include "gui/kit/skin_button.h"

#include <QPainter>

#include "gui/kit/theme.h"

namespace kzgui::kit {

SkinButton::SkinButton(const QString& text, Look look, QWidget* parent)
    : QAbstractButton(parent), look_(look) {
  setText(text);
  setFocusPolicy(Qt::NoFocus);  // a bitmap-style button takes no keyboard focus
  setAttribute(Qt::WA_Hover, true);  // repaint on enter and leave for the hover look
  setCheckable(true);
}

QSize SkinButton::sizeHint() const {
  switch (look_) {
    case Look::Tab: return {134, 30};
    case Look::Action:
    case Look::Profile: return {100, 30};
    case Look::Small: return {22, 22};
  }
  return {100, 30};
}

void SkinButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Theme::FaceState state;
  state.enabled = isEnabled();
  state.hover = underMouse();
  state.pressed = isDown();
  state.highlighted = isChecked();
  const QRectF r = rect();
  int captionSize = 14;
  qreal radius = 3;
  switch (look_) {
    case Look::Tab:
      captionSize = 15;
      radius = 2;
      break;
    case Look::Action: break;
    case Look::Profile: radius = 6; break;
    case Look::Small:
      captionSize = 13;
      radius = 2;
      break;
  }
  Theme::PaintButtonFace(painter, r, radius, state);
  if (look_ == Look::Tab && state.highlighted) {
    // A bright bar under the caption says which page is shown even in a grey screenshot.
    painter.fillRect(QRectF(r.left() + 8, r.bottom() - 3, r.width() - 16, 2), Theme::Text());
  }
  QColor caption = state.enabled ? Theme::Text() : Theme::TextDisabled();
  QRectF textRect = r;
  if (state.pressed) textRect.translate(0, 1);
  Theme::PaintCaption(painter, textRect, text(), captionSize, caption,
                      look_ == Look::Tab && state.highlighted);
}

}  // namespace kzgui::kit
