#include "gui/app/tray_menu.h"
#include "gui/kit/tr.h"

#include <QActionGroup>

namespace kzgui {

TrayMenu::TrayMenu(ActiveProfile activeProfile, Language language, QWidget* parent)
    : QMenu(parent), activeProfile_(std::move(activeProfile)) {
  setObjectName("trayMenu");
  open_ = addAction(Tr("打开"));
  connect(open_, &QAction::triggered, this, &TrayMenu::openChosen);
  addSeparator();
  auto* group = new QActionGroup(this);
  group->setExclusive(true);
  for (int profile = 1; profile <= kProfileCount; ++profile) {
    // The same captions as the window's profile buttons.
    QAction* action = addAction(Tr("配置 %1").arg(profile));
    action->setCheckable(true);
    action->setActionGroup(group);
    connect(action, &QAction::triggered, this, [this, profile] { emit profileChosen(profile); });
    profiles_[static_cast<size_t>(profile - 1)] = action;
  }
  addSeparator();
  // Each language under its own name, so that a user who cannot read the other finds theirs.
  QMenu* languages = addMenu(QStringLiteral("语言 / Language"));
  auto* languageGroup = new QActionGroup(this);
  chinese_ = languages->addAction(QStringLiteral("中文"));
  english_ = languages->addAction(QStringLiteral("English"));
  for (QAction* action : {chinese_, english_}) {
    action->setCheckable(true);
    action->setActionGroup(languageGroup);
  }
  (language == Language::kEnglish ? english_ : chinese_)->setChecked(true);
  connect(chinese_, &QAction::triggered, this, [this] { emit languageChosen(Language::kChinese); });
  connect(english_, &QAction::triggered, this, [this] { emit languageChosen(Language::kEnglish); });
  addSeparator();
  exit_ = addAction(Tr("退出"));
  connect(exit_, &QAction::triggered, this, &TrayMenu::exitChosen);
  connect(this, &QMenu::aboutToShow, this, &TrayMenu::MarkActive);
  MarkActive();
}

QAction* TrayMenu::ProfileAction(int profile) const {
  return profile >= 1 && profile <= kProfileCount ? profiles_[static_cast<size_t>(profile - 1)] : nullptr;
}

QAction* TrayMenu::LanguageAction(Language language) const {
  return language == Language::kEnglish ? english_ : chinese_;
}

void TrayMenu::MarkActive() {
  const int active = activeProfile_ ? activeProfile_() : 0;
  for (int profile = 1; profile <= kProfileCount; ++profile) ProfileAction(profile)->setChecked(profile == active);
}

}  // namespace kzgui
