// ColorStrip keeps the picture it paints at the widget's exact size, so the picked colour is the
// one the user sees, not one interpolated by a scaled paint.
#include "gui/kit/color_strip.h"

#include <QMouseEvent>
#include <QPainter>

namespace kzgui::kit {

ColorStrip::ColorStrip(QWidget* parent) : QWidget(parent) {
  setCursor(Qt::CrossCursor);
  setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void ColorStrip::setImage(const QImage& image) {
  source_ = image;
  rebuild();
  update();
}

QImage ColorStrip::shownImage() const { return shown_; }

void ColorStrip::rebuild() {
  const QSize size = this->size();
  if (size.isEmpty()) {
    shown_ = QImage();
    return;
  }
  if (!source_.isNull()) {
    shown_ = source_.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                 .convertToFormat(QImage::Format_RGB32);
    return;
  }
  shown_ = QImage(size, QImage::Format_RGB32);
  const int w = size.width();
  const int h = size.height();
  for (int y = 0; y < h; ++y) {
    // Top half fades from pale to full colour, bottom half from full colour to dark.
    const qreal t = h > 1 ? qreal(y) / (h - 1) : 0.5;
    const qreal saturation = t < 0.5 ? 0.25 + 1.5 * t : 1.0;
    const qreal lightness = t < 0.5 ? 0.5 : 1.0 - t;
    auto* line = reinterpret_cast<QRgb*>(shown_.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const qreal hue = w > 1 ? qreal(x) / w : 0.0;
      line[x] = QColor::fromHslF(float(hue), float(saturation), float(lightness)).rgb();
    }
  }
}

void ColorStrip::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  rebuild();
}

void ColorStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (shown_.isNull()) return;
  painter.drawImage(0, 0, shown_);
}

void ColorStrip::pickAt(const QPoint& point) {
  if (!shown_.valid(point)) return;  // a drag may leave the strip; only its pixels count
  emit colorPicked(shown_.pixelColor(point));
}

void ColorStrip::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  pickAt(event->position().toPoint());
}

void ColorStrip::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) {
    event->ignore();
    return;
  }
  pickAt(event->position().toPoint());
}

}  // namespace kzgui::kit
