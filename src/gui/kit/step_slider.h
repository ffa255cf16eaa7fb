#pragma once
// The 11-step slider (0 to 10) of the sensitivity, pointer, wheel, double-click and light-speed
// settings. A press or drag snaps to the nearest step; the steps are marked on the track.
#include "gui/kit/skin_slider.h"

namespace kzgui::kit {

class StepSlider : public SkinSlider {
  Q_OBJECT
 public:
  static constexpr int kSteps = 11;

  explicit StepSlider(QWidget* parent = nullptr);

 protected:
  void paintMarks(QPainter& painter, const QRect& track) const override;
};

}  // namespace kzgui::kit
