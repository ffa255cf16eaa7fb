#pragma once
// Horizontal slider of the kit: a painted track and thumb over QAbstractSlider, so values, signals
// (valueChanged, sliderMoved, sliderPressed/Released) and arrow keys are Qt's own. A press or drag
// puts the value at the pointer; subclasses decide how a track position maps to a value.
#include <QAbstractSlider>

namespace kzgui::kit {

class SkinSlider : public QAbstractSlider {
  Q_OBJECT
 public:
  explicit SkinSlider(QWidget* parent = nullptr);

  // The part of the widget the thumb's centre travels along; x positions are counted from its left.
  QRect trackRect() const;

  QSize sizeHint() const override { return {200, 24}; }

 protected:
  // Value for a thumb position `x` on a track `width` pixels wide. The default takes the nearest
  // value of the range.
  virtual int valueAt(int x, int width) const;
  // Thumb position of `value`, the inverse of valueAt.
  int positionOf(int value) const;
  // Drawn over the track, under the thumb (step marks).
  virtual void paintMarks(QPainter& painter, const QRect& track) const;

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void moveToPointer(int widgetX);
};

}  // namespace kzgui::kit
