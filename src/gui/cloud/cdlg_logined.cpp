#include "gui/cloud/cdlg_logined.h"
#include "gui/kit/tr.h"

#include <QLabel>

#include "cloud/account.h"
#include "gui/kit/label.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/theme.h"

namespace kzgui {
namespace {

QLabel* MakeLabel(QWidget* parent, const QRect& rect, const QString& text, const char* name, int pixels) {
  auto* label = new kit::Label(text, kit::Label::Style::Normal, parent);
  label->setFont(kit::Theme::Font(pixels));
  label->setGeometry(rect);
  label->setObjectName(name);
  return label;
}

}  // namespace

CDlgLogined::CDlgLogined(kz::cloud::Account& account, QWidget* parent) : AccountPanel(parent), account_(account) {
  setObjectName("loggedInPanel");
  userName_ = MakeLabel(this, PanelRect(89, 9, 190, 28), QString(), "userName", 14);
  score_ = MakeLabel(this, PanelRect(222, 13, 299, 28), Tr("积分：0"), "score", 12);
  level_ = MakeLabel(this, PanelRect(222, 35, 299, 50), Tr("等级：0"), "level", 12);
  logOut_ = new kit::SkinButton(Tr("注销"), kit::SkinButton::Look::Action, this);
  logOut_->setGeometry(PanelRect(215, 51, 280, 71));
  logOut_->setObjectName("logOut");
  connect(logOut_, &kit::SkinButton::clicked, this, [this] { RunCommand(kLogOut); });

  minute_.setInterval(kMinuteMs);
  connect(&minute_, &QTimer::timeout, this, [this] { account_.Engine().OnlineMinute(); });
  minute_.start();
}

void CDlgLogined::SetUser(const std::string& userName, long long score, long long level) {
  userName_->setText(QString::fromStdString(userName));
  score_->setText(Tr("积分：%1").arg(score));
  level_->setText(Tr("等级：%1").arg(level));
}

void CDlgLogined::RunCommand(int command) {
  if (command == kLogOut) account_.LogOut();
}

}  // namespace kzgui
