#pragma once
// A square of one colour: the preset colour buttons (highlighted when chosen, usually through a
// RadioGroup) and, with clicks turned off, the colour preview.
#include <QAbstractButton>
#include <QColor>

namespace kzgui::kit {

class ColorSwatch : public QAbstractButton {
  Q_OBJECT
 public:
  explicit ColorSwatch(const QColor& colour = Qt::black, QWidget* parent = nullptr);

  QColor color() const { return colour_; }
  void setColor(const QColor& colour);
  // A swatch that only shows a colour lets clicks through to what lies under it.
  void setClickable(bool on);
  bool isClickable() const { return clickable_; }

  QSize sizeHint() const override { return {24, 24}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void nextCheckState() override {}  // chosen by its owner, like SkinButton

 private:
  QColor colour_;
  bool clickable_ = true;
};

}  // namespace kzgui::kit
