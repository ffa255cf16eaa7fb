#pragma once
// Keeps exactly one of a set of kit buttons highlighted (tabs, profiles, DPI levels, report rates,
// the scroll-mode pair, preset colours). A click on a button of the set selects it; a click on the
// one already selected changes nothing but is still reported, because some owners act on it anyway
// (choosing the current profile again reloads it).
#include <QObject>
#include <QPointer>
#include <vector>

class QAbstractButton;

namespace kzgui::kit {

class RadioGroup : public QObject {
  Q_OBJECT
 public:
  explicit RadioGroup(QObject* parent = nullptr);

  // Adds a button (it becomes checkable, and unchecked: the group's selection decides) and returns
  // its index, counted from 0 in adding order. The group does not own the button.
  int add(QAbstractButton* button);
  int count() const { return static_cast<int>(buttons_.size()); }
  // nullptr for an index outside the set or a button already destroyed.
  QAbstractButton* button(int index) const;

  // Index of the highlighted button, -1 before the first selection.
  int selected() const { return selected_; }
  // Highlights `index` and clears the others; -1 clears all; any other index outside the set is
  // ignored. Emits changed() when the selection moves.
  void setSelected(int index);

 signals:
  // Every click by the user, after the selection has been updated.
  void clicked(int index);
  // The highlighted button changed, by a click or by setSelected().
  void changed(int index);

 private:
  void buttonToggled(int index, bool on);

  std::vector<QPointer<QAbstractButton>> buttons_;
  int selected_ = -1;
  bool updating_ = false;
};

}  // namespace kzgui::kit
