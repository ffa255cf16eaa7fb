// NumberEdit's input rule.
#include "gui/kit/number_edit.h"

#include <QRegularExpressionValidator>
#include <algorithm>

#include "gui/kit/theme.h"

namespace kzgui::kit {

NumberEdit::NumberEdit(int minimum, int maximum, QWidget* parent)
    : QLineEdit(parent),
      minimum_(std::min(minimum, maximum)),
      maximum_(std::max(minimum, maximum)),
      value_(minimum_) {
  // Digits only, and few enough that the number cannot overflow; a sign only where the range
  // needs one.
  const QString pattern = minimum_ < 0 ? QStringLiteral("-?\\d{0,9}") : QStringLiteral("\\d{0,9}");
  setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), this));
  setStyleSheet(Theme::EditStyleSheet());
  setFont(Theme::Font(13));
  setAlignment(Qt::AlignCenter);
  setText(QString::number(value_));
  connect(this, &QLineEdit::editingFinished, this, &NumberEdit::finishEdit);
}

void NumberEdit::setValue(int value) {
  value_ = std::clamp(value, minimum_, maximum_);
  setText(QString::number(value_));
}

void NumberEdit::finishEdit() {
  bool ok = false;
  const qlonglong typed = text().toLongLong(&ok);
  if (!ok || typed < minimum_) {
    setText(QString::number(value_));
    return;
  }
  value_ = static_cast<int>(std::min<qlonglong>(typed, maximum_));
  setText(QString::number(value_));
  emit valueEdited(value_);
}

}  // namespace kzgui::kit
