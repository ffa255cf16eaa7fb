// RadioGroup on top of an exclusive QButtonGroup, which already refuses to uncheck the checked
// button; the group itself only decides when a click selects.
#include "gui/kit/radio_group.h"

#include <QAbstractButton>
#include <QButtonGroup>

namespace kzgui::kit {

RadioGroup::RadioGroup(QObject* parent) : QObject(parent), group_(new QButtonGroup(this)) {
  group_->setExclusive(true);
  connect(group_, &QButtonGroup::idClicked, this, [this](int index) {
    setSelected(index);
    emit clicked(index);
  });
  // Follows checks made on a button directly as well, so selected() never disagrees with the look.
  connect(group_, &QButtonGroup::idToggled, this, [this](int index, bool on) {
    if (on && index != selected_) {
      selected_ = index;
      emit changed(index);
    }
  });
}

int RadioGroup::add(QAbstractButton* button) {
  const int index = count();
  button->setCheckable(true);
  if (button->isChecked()) {
    // A button arrives highlighted only by mistake; the group's own state decides.
    button->setChecked(false);
  }
  group_->addButton(button, index);
  return index;
}

int RadioGroup::count() const { return static_cast<int>(group_->buttons().size()); }

QAbstractButton* RadioGroup::button(int index) const { return group_->button(index); }

void RadioGroup::setSelected(int index) {
  if (index < -1 || index >= count() || index == selected_) return;
  if (index == -1) {
    // An exclusive group keeps its checked button; lift that rule for the moment of clearing.
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons()) b->setChecked(false);
    group_->setExclusive(true);
    selected_ = -1;
    emit changed(-1);
  } else {
    group_->button(index)->setChecked(true);  // the toggled handler records it and reports
  }
}

}  // namespace kzgui::kit
