#pragma once
// Slider of one DPI level: 200 to 8200, where a thumb at x on a track w pixels wide means
// 200 + floor(8000 x / w). Arrow keys move by 100, the step of the page's plus and minus buttons.
#include "gui/kit/skin_slider.h"

namespace kzgui::kit {

class DpiSlider : public SkinSlider {
  Q_OBJECT
 public:
  static constexpr int kMinimum = 200;
  static constexpr int kMaximum = 8200;

  explicit DpiSlider(QWidget* parent = nullptr);

  // The position rule on its own; positions off the track give the nearest end.
  static int ValueAt(int x, int width);

 protected:
  int valueAt(int x, int width) const override { return ValueAt(x, width); }
};

}  // namespace kzgui::kit
