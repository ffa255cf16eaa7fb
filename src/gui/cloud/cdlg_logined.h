#pragma once
// The logged-in panel: the user's name, score and level, and Log out. Its minute timer runs from
// the panel's making, whichever panel shows: while a token is held it counts an online minute and
// runs the periodic upload check.
#include <QTimer>
#include <string>

#include "gui/cloud/account_panel.h"

class QLabel;

namespace kz::cloud {
class Account;
}

namespace kzgui {

namespace kit {
class SkinButton;
}

class CDlgLogined : public AccountPanel {
  Q_OBJECT
 public:
  enum Command { kLogOut = 2900 };
  static constexpr int kMinuteMs = 60000;

  CDlgLogined(kz::cloud::Account& account, QWidget* parent);

  // The values after a login.
  void SetUser(const std::string& userName, long long score, long long level);

  QLabel* UserNameLabel() const { return userName_; }
  QLabel* ScoreLabel() const { return score_; }
  QLabel* LevelLabel() const { return level_; }
  kit::SkinButton* LogOutButton() const { return logOut_; }
  QTimer& MinuteTimer() { return minute_; }

  void RunCommand(int command);

 private:
  kz::cloud::Account& account_;
  QLabel* userName_;
  QLabel* score_;
  QLabel* level_;
  kit::SkinButton* logOut_;
  QTimer minute_;
};

}  // namespace kzgui
