#include "gui/app/tray_menu.h"

#include <QActionGroup>

namespace kzgui {

TrayMenu::TrayMenu(ActiveProfile activeProfile, QWidget* parent)
    : QMenu(parent), activeProfile_(std::move(activeProfile)) {
  setObjectName("trayMenu");
  open_ = addAction(QStringLiteral("打开"));
  connect(open_, &QAction::triggered, this, &TrayMenu::openChosen);
  addSeparator();
  auto* group = new QActionGroup(this);
  group->setExclusive(true);
  for (int profile = 1; profile <= kProfileCount; ++profile) {
    // The same captions as the window's profile buttons.
    QAction* action = addAction(QStringLiteral("配置 %1").arg(profile));
    action->setCheckable(true);
    action->setActionGroup(group);
    connect(action, &QAction::triggered, this, [this, profile] { emit profileChosen(profile); });
    profiles_[static_cast<size_t>(profile - 1)] = action;
  }
  addSeparator();
  exit_ = addAction(QStringLiteral("退出"));
  connect(exit_, &QAction::triggered, this, &TrayMenu::exitChosen);
  connect(this, &QMenu::aboutToShow, this, &TrayMenu::MarkActive);
  MarkActive();
}

QAction* TrayMenu::ProfileAction(int profile) const {
  return profile >= 1 && profile <= kProfileCount ? profiles_[static_cast<size_t>(profile - 1)] : nullptr;
}

void TrayMenu::MarkActive() {
  const int active = activeProfile_ ? activeProfile_() : 0;
  for (int profile = 1; profile <= kProfileCount; ++profile) ProfileAction(profile)->setChecked(profile == active);
}

}  // namespace kzgui
