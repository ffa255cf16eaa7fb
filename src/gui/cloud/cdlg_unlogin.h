#pragma once
// The login panel: user name, masked password, Login, Register and Forgotten password. Logs in
// automatically 800 ms after it is made when the remembered user has a stored password. The
// requests run off the window thread (the account's workers); the window shows the wait cursor
// meanwhile, and a second Login before the first has answered is ignored.
#include <QTimer>

#include "gui/cloud/account_panel.h"

class QLineEdit;

namespace kz::cloud {
class Account;
}

namespace kzgui {

namespace kit {
class SkinButton;
}

class CDlgUnlogin : public AccountPanel {
  Q_OBJECT
 public:
  enum Command { kLogin = 2200, kRegister = 2201, kForget = 2202 };
  static constexpr int kAutoLoginMs = 800;

  CDlgUnlogin(kz::cloud::Account& account, QWidget* parent);

  QLineEdit* UserNameField() const { return userName_; }
  QLineEdit* PasswordField() const { return password_; }
  kit::SkinButton* Button(int command) const;
  bool AutoLoginPending() const { return autoLogin_.isActive(); }

  void RunCommand(int command);
  // The automatic login: the remembered user and stored password into the fields, then Login.
  void AutoLogin();

 protected:
  void PaintBackground(QPainter& painter) override;

 private:
  kz::cloud::Account& account_;
  QLineEdit* userName_;
  QLineEdit* password_;
  kit::SkinButton* login_;
  kit::SkinButton* register_;
  kit::SkinButton* forget_;
  QTimer autoLogin_;
};

}  // namespace kzgui
