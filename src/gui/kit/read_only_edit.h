#pragma once
// White-on-black field that shows a value the user may select and copy but not change
// (version numbers, account names).
#include <QLineEdit>

namespace kzgui::kit {

class ReadOnlyEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit ReadOnlyEdit(const QString& text = QString(), QWidget* parent = nullptr);
};

}  // namespace kzgui::kit
