#pragma once
// The tray icon's menu: "打开", the five profiles (the active one checked), the language, "退出". It only builds
// the menu and reports choices; the window acts on them. The menu exists whether or not the
// desktop shows a tray, so the window can be driven the same way everywhere.
// User-interface thread only.
#include <QMenu>
#include <array>
#include <functional>

#include "gui/app/language.h"

class QAction;

namespace kzgui {

class TrayMenu : public QMenu {
  Q_OBJECT
 public:
  static constexpr int kProfileCount = 5;
  // Which profile is active right now (1..5), asked each time the menu opens.
  using ActiveProfile = std::function<int()>;

  TrayMenu(ActiveProfile activeProfile, Language language, QWidget* parent = nullptr);

  // The profile's entry, 1..5; nullptr otherwise.
  QAction* ProfileAction(int profile) const;
  QAction* OpenAction() const { return open_; }
  QAction* ExitAction() const { return exit_; }
  QAction* LanguageAction(Language language) const;
  // Checks the active profile's entry (also done whenever the menu is about to show).
  void MarkActive();

 signals:
  void openChosen();
  void exitChosen();
  void profileChosen(int profile);
  void languageChosen(kzgui::Language language);

 private:
  ActiveProfile activeProfile_;
  QAction* open_ = nullptr;
  QAction* exit_ = nullptr;
  std::array<QAction*, kProfileCount> profiles_{};
  QAction* chinese_ = nullptr;
  QAction* english_ = nullptr;
};

}  // namespace kzgui
