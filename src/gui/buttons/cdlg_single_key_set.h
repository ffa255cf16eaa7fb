#pragma once
// The single-key dialog: the user presses the key a mouse button is to give and picks the
// modifiers that go with it. Every key counts, modifiers, Tab, Escape and Enter included, so
// nothing the keyboard does closes the dialog; only OK, Cancel and the close button do.
// User-interface thread only.
#include <array>

#include "gui/kit/cdlg_base.h"

class QAbstractButton;

namespace kzgui {

namespace kit {
class ReadOnlyEdit;
class SkinButton;
class ToggleButton;
}  // namespace kit

class CDlgSingleKeySet : public kit::CDlgBase {
  Q_OBJECT
 public:
  // Command numbers of the controls.
  enum ControlId {
    kNoModifier = 10000,
    kShift = 10001,
    kControl = 10002,
    kWin = 10003,
    kAlt = 10004,
    kOk = 10005,
    kCancel = 10006,
    kClose = 10007,
  };
  static constexpr int kFirstControl = kNoModifier;
  static constexpr int kControlCount = 8;

  explicit CDlgSingleKeySet(QWidget* parent = nullptr);

  // The virtual-key code of the last key pressed; 0 before any, or for a key the program does
  // not know.
  int Key() const { return key_; }
  // ModifierFlags of the toggles as OK found them; 0 until OK.
  int Modifiers() const { return modifiers_; }

  // A control by its command number, nullptr for any other number.
  QAbstractButton* control(int id) const;
  kit::ReadOnlyEdit* keyField() const { return keyField_; }

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void PaintBackground(QPainter& painter) override;

 private:
  void TakeKey(int virtualKey);
  void Confirm();

  kit::ReadOnlyEdit* keyField_ = nullptr;
  kit::ToggleButton* noModifier_ = nullptr;
  // Shift, Control, WIN, ALT: the order of kz::settings::kModifierBits.
  std::array<kit::ToggleButton*, 4> modifierToggles_{};
  kit::SkinButton* ok_ = nullptr;
  kit::SkinButton* cancel_ = nullptr;
  kit::SkinButton* close_ = nullptr;
  int key_ = 0;
  int modifiers_ = 0;
};

}  // namespace kzgui
