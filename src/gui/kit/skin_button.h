#pragma once
// The kit's push button: a caption on a painted face with normal, hover, pressed and highlighted
// looks. Highlighted is the checked state, used by tabs and profile buttons. A click never changes
// it by itself: the owner decides (directly, or through a RadioGroup), so a page can tell a click
// on the highlighted tab from one on another tab.
#include <QAbstractButton>

namespace kzgui::kit {

class SkinButton : public QAbstractButton {
  Q_OBJECT
 public:
  // Tab: page tabs. Action: the main window's command column. Profile: the five profile buttons.
  // Small: plus/minus and window controls.
  enum class Look { Tab, Action, Profile, Small };

  explicit SkinButton(const QString& text, Look look = Look::Action, QWidget* parent = nullptr);

  Look look() const { return look_; }
  bool isHighlighted() const { return isChecked(); }
  void setHighlighted(bool on) { setChecked(on); }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void nextCheckState() override {}

 private:
  Look look_;
};

}  // namespace kzgui::kit
