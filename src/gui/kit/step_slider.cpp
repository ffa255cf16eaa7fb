// The step slider: range and step marks; the nearest-step rule is the base slider's default.
#include "gui/kit/step_slider.h"

#include <QPainter>

#include "gui/kit/theme.h"

namespace kzgui::kit {

StepSlider::StepSlider(QWidget* parent) : SkinSlider(parent) {
  setRange(0, kSteps - 1);
  setSingleStep(1);
  setPageStep(1);
}

void StepSlider::paintMarks(QPainter& painter, const QRect& track) const {
  const qreal cy = height() / 2.0;
  painter.save();
  painter.setPen(QPen(Theme::TextDim(), 1));
  for (int step = 0; step < kSteps; ++step) {
    const qreal x = track.left() + positionOf(step) + 0.5;
    painter.drawLine(QPointF(x, cy + 5), QPointF(x, cy + 8));
  }
  painter.restore();
}

}  // namespace kzgui::kit
