#pragma once
// The lighting page's colour strip: a picture of colours where a click (or a drag with the button
// held) reports the colour of the pixel under the pointer. Without a picture of its own it shows
// every hue from left to right, from pale at the top through full colour to dark at the bottom.
#include <QImage>
#include <QWidget>

namespace kzgui::kit {

class ColorStrip : public QWidget {
  Q_OBJECT
 public:
  explicit ColorStrip(QWidget* parent = nullptr);

  // A picture to pick from instead of the drawn one; it is scaled to the widget. A null image
  // brings the drawn one back.
  void setImage(const QImage& image);
  // What is shown, pixel for pixel: a click at p picks shownImage().pixelColor(p).
  QImage shownImage() const;

  QSize sizeHint() const override { return {256, 40}; }

 signals:
  void colorPicked(const QColor& colour);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void rebuild();
  void pickAt(const QPoint& point);

  QImage source_;  // the caller's picture, or null
  QImage shown_;   // the picture at the widget's size
};

}  // namespace kzgui::kit
