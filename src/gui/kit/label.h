#pragma once
// Caption text on the dark look. Title for headings of a page section, Dim for hints and units.
#include <QLabel>

namespace kzgui::kit {

class Label : public QLabel {
  Q_OBJECT
 public:
  enum class Style { Normal, Title, Dim };

  explicit Label(const QString& text = QString(), Style style = Style::Normal,
                 QWidget* parent = nullptr);

  Style labelStyle() const { return style_; }
  void setLabelStyle(Style style);

 private:
  Style style_;
};

}  // namespace kzgui::kit
