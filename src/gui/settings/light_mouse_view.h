#pragma once
// The lighting page's picture of the mouse: an outline seen from above with its two lights, each
// drawn in the colour it shows (dark when off), and a ring around the light being edited. A click
// on a light reports it, so the picture doubles as the light choice.
#include <QColor>
#include <QWidget>
#include <array>

namespace kzgui {

class LightMouseView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kLights = 2;

  explicit LightMouseView(QWidget* parent = nullptr);

  // `index` 0 is light 1 (front, at the wheel), 1 is light 2 (back, on the palm).
  void setLight(int index, const QColor& colour, bool on);
  void setEdited(int index);
  int edited() const { return edited_; }
  QColor lightColour(int index) const { return lights_.at(static_cast<size_t>(index)).colour; }
  bool lightOn(int index) const { return lights_.at(static_cast<size_t>(index)).on; }
  // Where light `index` is drawn, in widget pixels.
  QRectF lightRect(int index) const;

  QSize sizeHint() const override { return {220, 380}; }

 signals:
  void lightClicked(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  struct Light {
    QColor colour = Qt::black;
    bool on = false;
  };
  // The mouse body, centred in the widget and as large as it allows.
  QRectF bodyRect() const;

  std::array<Light, kLights> lights_{};
  int edited_ = 0;
};

}  // namespace kzgui
