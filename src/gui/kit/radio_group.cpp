// RadioGroup. QButtonGroup's exclusivity relies on a click flipping the button, which the kit's
// buttons do not do (their owner decides), so the group keeps the rule itself: it selects on a
// click, and it also follows checks made on a button directly, so the look never disagrees with
// selected().
#include "gui/kit/radio_group.h"

#include <QAbstractButton>

namespace kzgui::kit {

RadioGroup::RadioGroup(QObject* parent) : QObject(parent) {}

int RadioGroup::add(QAbstractButton* button) {
  const int index = count();
  button->setCheckable(true);
  button->setChecked(false);
  buttons_.emplace_back(button);
  connect(button, &QAbstractButton::clicked, this, [this, index] {
    setSelected(index);
    emit clicked(index);
  });
  connect(button, &QAbstractButton::toggled, this,
          [this, index](bool on) { buttonToggled(index, on); });
  return index;
}

QAbstractButton* RadioGroup::button(int index) const {
  if (index < 0 || index >= count()) return nullptr;
  return buttons_[index].data();
}

void RadioGroup::setSelected(int index) {
  if (index < -1 || index >= count() || index == selected_) return;
  updating_ = true;
  for (int i = 0; i < count(); ++i)
    if (QAbstractButton* b = buttons_[i]) b->setChecked(i == index);
  updating_ = false;
  selected_ = index;
  emit changed(index);
}

void RadioGroup::buttonToggled(int index, bool on) {
  if (updating_) return;
  if (on && index != selected_) {
    setSelected(index);
  } else if (!on && index == selected_) {
    // The highlighted button cannot be switched off on its own; choose another instead.
    buttons_[index]->setChecked(true);
  }
}

}  // namespace kzgui::kit
