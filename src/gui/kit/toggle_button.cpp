// Painting of ToggleButton: a rounded track with a knob, accent-coloured when on.
#include "gui/kit/toggle_button.h"

#include <QFontMetrics>
#include <QPainter>

#include "gui/kit/theme.h"

namespace kzgui::kit {
namespace {
constexpr int kTrackWidth = 34;
constexpr int kTrackHeight = 18;
constexpr int kGap = 6;
constexpr int kCaptionPixels = 13;
}  // namespace

ToggleButton::ToggleButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
  setText(text);
  setCheckable(true);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_Hover, true);
}

QSize ToggleButton::sizeHint() const {
  int width = kTrackWidth;
  if (!text().isEmpty())
    width += kGap + QFontMetrics(Theme::Font(kCaptionPixels)).horizontalAdvance(text()) + 2;
  return {width, kTrackHeight + 4};
}

void ToggleButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QRectF track(0.5, (height() - kTrackHeight) / 2.0 + 0.5, kTrackWidth - 1, kTrackHeight - 1);
  const bool on = isChecked();
  QColor fill = on ? Theme::Accent() : Theme::Window();
  QColor border = on ? Theme::AccentLight() : Theme::BorderLight();
  if (!isEnabled()) {
    fill = on ? Theme::Accent().darker(170) : Theme::Panel();
    border = Theme::Border();
  } else if (underMouse()) {
    fill = fill.lighter(120);
    border = Theme::AccentLight();
  }
  painter.setPen(QPen(border, 1));
  painter.setBrush(fill);
  painter.drawRoundedRect(track, kTrackHeight / 2.0, kTrackHeight / 2.0);

  const qreal knob = kTrackHeight - 6;
  const qreal knobX = on ? track.right() - 3 - knob : track.left() + 3;
  painter.setPen(Qt::NoPen);
  painter.setBrush(isEnabled() ? Theme::Text() : Theme::TextDisabled());
  painter.drawEllipse(QRectF(knobX, track.top() + 3, knob, knob));

  if (!text().isEmpty()) {
    painter.setFont(Theme::Font(kCaptionPixels));
    painter.setPen(isEnabled() ? Theme::Text() : Theme::TextDisabled());
    const QRect textRect(kTrackWidth + kGap, 0, width() - kTrackWidth - kGap, height());
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text());
  }
}

}  // namespace kzgui::kit
