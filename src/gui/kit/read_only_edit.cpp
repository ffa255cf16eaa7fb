// ReadOnlyEdit: the edit look with editing turned off.
#include "gui/kit/read_only_edit.h"

#include "gui/kit/theme.h"

namespace kzgui::kit {

ReadOnlyEdit::ReadOnlyEdit(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
  setReadOnly(true);
  setStyleSheet(Theme::EditStyleSheet());
  setFont(Theme::Font(13));
  setFocusPolicy(Qt::ClickFocus);
}

}  // namespace kzgui::kit
