#pragma once
// One of the button page's eleven buttons: a SkinButton that knows which mouse button it stands
// for, shows what that button does, and tells the page when the pointer enters or leaves it so the
// mouse picture can point the button out.
#include "gui/kit/skin_button.h"

namespace kzgui {

class MouseKeyBtn : public kit::SkinButton {
  Q_OBJECT
 public:
  // Command numbers of the buttons: 3000 is button 1, 3010 button 11.
  static constexpr int kFirstCommand = 3000;

  // `number` 1..11.
  explicit MouseKeyBtn(int number, QWidget* parent = nullptr);

  int number() const { return number_; }
  int command() const { return kFirstCommand + number_ - 1; }

 signals:
  void hoverChanged(int number, bool inside);

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  int number_;
};

}  // namespace kzgui
