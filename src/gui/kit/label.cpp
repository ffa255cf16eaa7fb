// Label: font and colour per style; painting is QLabel's.
#include "gui/kit/label.h"

#include <QPalette>

#include "gui/kit/theme.h"

namespace kzgui::kit {

Label::Label(const QString& text, Style style, QWidget* parent)
    : QLabel(text, parent), style_(style) {
  setLabelStyle(style);
}

void Label::setLabelStyle(Style style) {
  style_ = style;
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, style == Style::Dim ? Theme::TextDim() : Theme::Text());
  setPalette(pal);
  setFont(style == Style::Title ? Theme::Font(15, true) : Theme::Font(13));
}

}  // namespace kzgui::kit
