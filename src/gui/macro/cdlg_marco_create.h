#pragma once
// The macro manager's name dialog: one name for a new macro set or macro. The field holds at most
// kz::macro::kMaxNameCharacters characters, counted the way the store counts them (characters,
// not UTF-16 units), so a name the dialog lets through is never refused for its length later.
// Confirming with nothing but blanks keeps the dialog open.
#include <string>

#include "gui/kit/cdlg_base.h"

class QLineEdit;

namespace kzgui {

namespace kit {
class SkinButton;
}

class CDlgMarcoCreate : public kit::CDlgBase {
  Q_OBJECT
 public:
  enum Command { kConfirm = 8000, kCancel = 8001, kClose = 8002 };

  explicit CDlgMarcoCreate(QWidget* parent = nullptr);

  // The confirmed name without leading and trailing blanks, in UTF-8; "" until confirmed.
  const std::string& Name() const { return name_; }

  QLineEdit* nameEdit() const { return edit_; }
  // The buttons 8000 to 8002; nullptr for any other ID.
  kit::SkinButton* Button(int id) const;
  void RunCommand(int id);

  // Characters of a text as the store counts them: a character outside the BMP is one.
  static int CharacterCount(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Confirm();

  QLineEdit* edit_ = nullptr;
  kit::SkinButton* confirm_ = nullptr;
  kit::SkinButton* cancel_ = nullptr;
  kit::SkinButton* close_ = nullptr;
  std::string name_;
};

}  // namespace kzgui
