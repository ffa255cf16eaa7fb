#include "gui/cloud/cdlg_unlogin.h"
#include "gui/kit/tr.h"

#include <QLineEdit>
#include <QPainter>

#include "cloud/account.h"
#include "gui/kit/read_only_edit.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/theme.h"

namespace kzgui {
namespace {

// The fields' background, 0xFFF7D1 as a Windows colour (blue, green, red from the high byte).
QString FieldStyle() {
  return QStringLiteral(
      "QLineEdit { background: rgb(209, 247, 255); color: black; border: 1px solid #4a515f; padding: 0 2px; }");
}

QLineEdit* MakeField(QWidget* parent, const QRect& rect, const char* name) {
  auto* field = new kit::ReadOnlyEdit(QString(), parent);
  field->setReadOnly(false);
  field->setFocusPolicy(Qt::StrongFocus);
  field->setStyleSheet(FieldStyle());
  field->setFont(kit::Theme::Font(11));
  field->setGeometry(rect);
  field->setObjectName(name);
  return field;
}

kit::SkinButton* MakeButton(QWidget* parent, const QRect& rect, const char* caption, const char* name) {
  auto* button = new kit::SkinButton(Tr(caption), kit::SkinButton::Look::Action, parent);
  button->setGeometry(rect);
  button->setObjectName(name);
  return button;
}

}  // namespace

CDlgUnlogin::CDlgUnlogin(kz::cloud::Account& account, QWidget* parent) : AccountPanel(parent), account_(account) {
  setObjectName("loginPanel");
  userName_ = MakeField(this, PanelRect(50, 9, 132, 24), "userName");
  password_ = MakeField(this, PanelRect(169, 9, 251, 23), "password");
  password_->setEchoMode(QLineEdit::Password);
  login_ = MakeButton(this, PanelRect(196, 33, 252, 51), "登录", "login");
  register_ = MakeButton(this, PanelRect(253, 34, 309, 52), "注册", "register");
  forget_ = MakeButton(this, PanelRect(193, 53, 257, 72), "忘记密码", "forget");
  connect(login_, &kit::SkinButton::clicked, this, [this] { RunCommand(kLogin); });
  connect(register_, &kit::SkinButton::clicked, this, [this] { RunCommand(kRegister); });
  connect(forget_, &kit::SkinButton::clicked, this, [this] { RunCommand(kForget); });
  connect(password_, &QLineEdit::returnPressed, this, [this] { RunCommand(kLogin); });

  autoLogin_.setSingleShot(true);
  connect(&autoLogin_, &QTimer::timeout, this, &CDlgUnlogin::AutoLogin);
  autoLogin_.start(kAutoLoginMs);
}

kit::SkinButton* CDlgUnlogin::Button(int command) const {
  switch (command) {
    case kLogin: return login_;
    case kRegister: return register_;
    case kForget: return forget_;
    default: return nullptr;
  }
}

void CDlgUnlogin::RunCommand(int command) {
  if (command == kLogin) {
    account_.Login(userName_->text().toStdString(), password_->text().toStdString());
  } else if (command == kRegister) {
    account_.OpenServicePage(kz::cloud::kRegisterUrlPath, kz::cloud::text::kNoRegisterLink);
  } else if (command == kForget) {
    account_.OpenServicePage(kz::cloud::kForgetUrlPath, kz::cloud::text::kNoForgetLink);
  }
}

void CDlgUnlogin::AutoLogin() {
  autoLogin_.stop();
  std::string user, password;
  if (!account_.StoredLogin(user, password)) return;
  userName_->setText(QString::fromStdString(user));
  password_->setText(QString::fromStdString(password));
  if (!password.empty()) RunCommand(kLogin);
}

void CDlgUnlogin::PaintBackground(QPainter& painter) {
  AccountPanel::PaintBackground(painter);
  painter.setPen(kit::Theme::TextDim());
  painter.setFont(kit::Theme::Font(11));
  painter.drawText(PanelRect(8, 7, 48, 26), Qt::AlignRight | Qt::AlignVCenter, Tr("账号"));
  painter.drawText(PanelRect(134, 7, 167, 26), Qt::AlignRight | Qt::AlignVCenter, Tr("密码"));
}

}  // namespace kzgui
