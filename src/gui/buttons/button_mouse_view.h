#pragma once
// The button page's picture of the mouse: the outline seen from above with every one of its eleven
// buttons drawn where it sits, and the button the user points at (or is assigning) marked in the
// accent colour with its number, so a caption on the page can be matched to the button it means.
// The picture only shows; the page decides which button is marked.
#include <QWidget>

namespace kzgui {

class ButtonMouseView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kButtons = 11;

  explicit ButtonMouseView(QWidget* parent = nullptr);

  // Button `number` 1..11 marked; 0 (or anything else) marks none.
  void setMarked(int number);
  int marked() const { return marked_; }
  // Where button `number` is drawn, in widget pixels; empty for a number outside 1..11.
  QRectF spotRect(int number) const;

  QSize sizeHint() const override { return {300, 460}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The mouse body, centred in the widget and as large as it allows.
  QRectF bodyRect() const;

  int marked_ = 0;
};

}  // namespace kzgui
