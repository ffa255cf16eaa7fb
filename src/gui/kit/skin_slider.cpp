// Track geometry, pointer handling and painting shared by the kit's sliders.
#include "gui/kit/skin_slider.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "gui/kit/theme.h"

namespace kzgui::kit {
namespace {
constexpr int kThumbWidth = 14;
constexpr int kThumbHeight = 18;
constexpr int kTrackThickness = 6;
}  // namespace

SkinSlider::SkinSlider(QWidget* parent) : QAbstractSlider(parent) {
  setOrientation(Qt::Horizontal);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_Hover, true);
}

QRect SkinSlider::trackRect() const {
  // Inset by half a thumb so the thumb stays whole at both ends.
  return QRect(kThumbWidth / 2, 0, std::max(0, width() - kThumbWidth), height());
}

int SkinSlider::valueAt(int x, int width) const {
  if (width <= 0) return minimum();
  const qint64 span = qint64(maximum()) - minimum();
  const qint64 clamped = std::clamp<qint64>(x, 0, width);
  return minimum() + static_cast<int>((span * clamped + width / 2) / width);
}

int SkinSlider::positionOf(int value) const {
  const int width = trackRect().width();
  const qint64 span = qint64(maximum()) - minimum();
  if (span <= 0) return 0;
  return static_cast<int>((qint64(value) - minimum()) * width / span);
}

void SkinSlider::paintMarks(QPainter&, const QRect&) const {}

void SkinSlider::moveToPointer(int widgetX) {
  const QRect track = trackRect();
  setSliderPosition(valueAt(widgetX - track.left(), track.width()));
}

void SkinSlider::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  setSliderDown(true);
  moveToPointer(qRound(event->position().x()));
  event->accept();
}

void SkinSlider::mouseMoveEvent(QMouseEvent* event) {
  if (!isSliderDown()) {
    event->ignore();
    return;
  }
  moveToPointer(qRound(event->position().x()));
  event->accept();
}

void SkinSlider::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isSliderDown()) {
    event->ignore();
    return;
  }
  setSliderDown(false);
  event->accept();
}

void SkinSlider::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QRect track = trackRect();
  const qreal cy = height() / 2.0;
  const QRectF groove(track.left(), cy - kTrackThickness / 2.0, track.width(), kTrackThickness);
  painter.setPen(QPen(Theme::Border(), 1));
  painter.setBrush(Theme::Window());
  painter.drawRoundedRect(groove, 3, 3);

  const int thumbX = track.left() + positionOf(value());
  QRectF filled = groove;
  filled.setRight(thumbX);
  painter.setPen(Qt::NoPen);
  painter.setBrush(isEnabled() ? Theme::Accent() : Theme::TextDisabled());
  painter.drawRoundedRect(filled, 3, 3);

  paintMarks(painter, track);

  Theme::FaceState face;
  face.enabled = isEnabled();
  face.hover = underMouse();
  face.pressed = isSliderDown();
  const QRectF thumb(thumbX - kThumbWidth / 2.0, cy - kThumbHeight / 2.0, kThumbWidth, kThumbHeight);
  Theme::PaintButtonFace(painter, thumb, 3, face);
  if (hasFocus()) {
    painter.setPen(QPen(Theme::AccentLight(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(thumb.adjusted(-1.5, -1.5, 1.5, 1.5), 4, 4);
  }
}

}  // namespace kzgui::kit
