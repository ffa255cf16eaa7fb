// The DPI slider's position rule.
#include "gui/kit/dpi_slider.h"

#include <algorithm>

namespace kzgui::kit {

DpiSlider::DpiSlider(QWidget* parent) : SkinSlider(parent) {
  setRange(kMinimum, kMaximum);
  setSingleStep(100);
  setPageStep(1000);
}

int DpiSlider::ValueAt(int x, int width) {
  if (width <= 0) return kMinimum;
  const qint64 clamped = std::clamp<qint64>(x, 0, width);
  return kMinimum + static_cast<int>((kMaximum - kMinimum) * clamped / width);
}

}  // namespace kzgui::kit
