#pragma once
// White-on-black field for a whole number in [minimum, maximum] (DPI values, colour components).
// Only digits can be typed. When the user finishes (Enter or leaving the field) a number above the
// range is taken as the maximum, while one below it, or an empty field, is refused: the field shows
// its last value again and nothing is reported.
#include <QLineEdit>

namespace kzgui::kit {

class NumberEdit : public QLineEdit {
  Q_OBJECT
 public:
  NumberEdit(int minimum, int maximum, QWidget* parent = nullptr);

  int value() const { return value_; }
  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }
  // Shows `value` kept within the range. Emits nothing, so a slider that feeds its value into the
  // field does not get it back as an edit.
  void setValue(int value);

 signals:
  // A value the user entered, already kept within the range.
  void valueEdited(int value);

 private:
  void finishEdit();

  int minimum_;
  int maximum_;
  int value_;
};

}  // namespace kzgui::kit
