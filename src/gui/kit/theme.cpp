// Painting helpers of the kit's look; no widget state lives here.
#include "gui/kit/theme.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <utility>

namespace kzgui::kit {

QFont Theme::Font(int pixelSize, bool bold) {
  QFont font;
  font.setFamilies({"Noto Sans CJK SC", "Noto Sans SC", "WenQuanYi Micro Hei", "Noto Sans",
                    "DejaVu Sans"});
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

void Theme::PaintPanel(QPainter& painter, const QRectF& rect, bool raised) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QRectF r = rect.adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient fill(r.topLeft(), r.bottomLeft());
  const QColor base = raised ? PanelRaised() : Panel();
  fill.setColorAt(0.0, base.lighter(112));
  fill.setColorAt(1.0, base);
  QPainterPath path;
  path.addRoundedRect(r, 4, 4);
  painter.fillPath(path, fill);
  painter.setPen(QPen(Border(), 1));
  painter.drawPath(path);
  // A one-pixel light just inside the top edge gives the panel some depth.
  painter.setPen(QPen(QColor(255, 255, 255, 18), 1));
  painter.drawLine(QPointF(r.left() + 4, r.top() + 1), QPointF(r.right() - 4, r.top() + 1));
  painter.restore();
}

void Theme::PaintButtonFace(QPainter& painter, const QRectF& rect, qreal radius,
                            const FaceState& state) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QRectF r = rect.adjusted(0.5, 0.5, -0.5, -0.5);
  QColor top, bottom, border;
  if (!state.enabled) {
    top = bottom = Panel();
    border = Border();
  } else if (state.highlighted) {
    top = AccentLight();
    bottom = Accent();
    border = AccentLight().lighter(115);
  } else {
    top = PanelRaised().lighter(125);
    bottom = PanelRaised();
    border = BorderLight();
  }
  if (state.enabled && state.hover && !state.pressed) {
    top = top.lighter(118);
    bottom = bottom.lighter(118);
    if (!state.highlighted) border = Accent();
  }
  if (state.enabled && state.pressed) {
    // Sunken: the light goes to the bottom and the edge takes the accent.
    std::swap(top, bottom);
    top = top.darker(140);
    bottom = bottom.darker(115);
    border = state.highlighted ? AccentLight() : Accent();
  }
  QLinearGradient fill(r.topLeft(), r.bottomLeft());
  fill.setColorAt(0.0, top);
  fill.setColorAt(1.0, bottom);
  QPainterPath path;
  path.addRoundedRect(r, radius, radius);
  painter.fillPath(path, fill);
  painter.setPen(QPen(border, 1));
  painter.drawPath(path);
  painter.restore();
}

void Theme::PaintCaption(QPainter& painter, const QRectF& rect, const QString& text, int pixelSize,
                         const QColor& colour, bool bold) {
  if (text.isEmpty()) return;
  painter.save();
  int size = pixelSize;
  QFont font = Font(size, bold);
  const qreal room = rect.width() - 6;
  while (size > 9 && QFontMetricsF(font).horizontalAdvance(text) > room) {
    font.setPixelSize(--size);
  }
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, text);
  painter.restore();
}

QString Theme::EditStyleSheet() {
  return QStringLiteral(
             "QLineEdit { background: %1; color: %2; border: 1px solid %3; border-radius: 2px;"
             " padding: 0 4px; selection-background-color: %4; }"
             "QLineEdit:focus { border-color: %4; }"
             "QLineEdit:disabled { color: %5; }")
      .arg(EditBackground().name(), EditText().name(), BorderLight().name(), Accent().name(),
           TextDisabled().name());
}

QRectF Theme::MouseBodyIn(const QRectF& room, qreal aspect) {
  qreal h = room.height();
  qreal w = h * aspect;
  if (w > room.width()) {
    w = room.width();
    h = w / aspect;
  }
  return {room.center().x() - w / 2, room.center().y() - h / 2, w, h};
}

void Theme::PaintMouseBody(QPainter& painter, const QRectF& b) {
  const qreal l = b.left(), r = b.right(), t = b.top(), bt = b.bottom(), cx = b.center().x();
  const qreal w = b.width(), h = b.height();
  QPainterPath body;
  body.moveTo(cx, t);
  body.cubicTo(r - 0.1 * w, t, r, t + 0.15 * h, r, t + 0.4 * h);
  body.cubicTo(r, t + 0.78 * h, r - 0.08 * w, bt, cx, bt);
  body.cubicTo(l + 0.08 * w, bt, l, t + 0.78 * h, l, t + 0.4 * h);
  body.cubicTo(l, t + 0.15 * h, l + 0.1 * w, t, cx, t);
  QLinearGradient fill(b.topLeft(), b.bottomLeft());
  fill.setColorAt(0, PanelRaised().lighter(130));
  fill.setColorAt(1, Panel());
  painter.save();
  painter.setPen(QPen(BorderLight(), 2));
  painter.setBrush(fill);
  painter.drawPath(body);
  QPainterPath split;
  split.moveTo(cx, t);
  split.lineTo(cx, t + 0.34 * h);
  split.moveTo(l + 0.01 * w, t + 0.4 * h);
  split.quadTo(cx, t + 0.47 * h, r - 0.01 * w, t + 0.4 * h);
  painter.setPen(QPen(Border(), 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(split);
  painter.restore();
}

}  // namespace kzgui::kit
