#pragma once
// An on/off switch with a caption beside it (level enable, sensitivity switch, light on/off).
// Unlike SkinButton it flips itself on a click and reports the new state with toggled().
#include <QAbstractButton>

namespace kzgui::kit {

class ToggleButton : public QAbstractButton {
  Q_OBJECT
 public:
  explicit ToggleButton(const QString& text = QString(), QWidget* parent = nullptr);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace kzgui::kit
