// MouseKeyBtn: the number it carries and the hover it reports.
#include "gui/buttons/mouse_key_btn.h"

#include <QEnterEvent>

namespace kzgui {

MouseKeyBtn::MouseKeyBtn(int number, QWidget* parent)
    : kit::SkinButton(QString(), Look::Action, parent), number_(number) {
  setObjectName("mouseKeyButton" + QString::number(number));
}

void MouseKeyBtn::enterEvent(QEnterEvent* event) {
  kit::SkinButton::enterEvent(event);
  emit hoverChanged(number_, true);
}

void MouseKeyBtn::leaveEvent(QEvent* event) {
  kit::SkinButton::leaveEvent(event);
  emit hoverChanged(number_, false);
}

}  // namespace kzgui
