#pragma once
// The button page: what each of the mouse's eleven buttons does in the active profile. The page
// only binds controls to a ButtonModel, which owns the slots, their captions and the page
// operations: a click on a button opens its menu, the chosen command calls one model action (or
// asks the window for the macro manager), then Refresh() shows the model again. Nothing here
// stores or sends; the window's profile session does that.
//
// User-interface thread only, except ApplyDeviceStatus, which hands a report from another thread
// over to the page's thread.
#include <QPointer>
#include <array>
#include <functional>
#include <optional>

#include "gui/settings/model_page.h"
#include "settings/button_model.h"

class QMenu;

namespace kzgui {

class ButtonMouseView;
class MouseKeyBtn;

class CDlgButton : public ModelPage<kz::settings::ButtonModel> {
  Q_OBJECT
 public:
  // Command numbers of the button menu; every QAction carries its number as data.
  static constexpr long long kRestoreDefault = 99;
  static constexpr long long kSingleKey = 100;
  static constexpr long long kCreateMacroSet = 101;
  static constexpr long long kEditMacroSet = 10000;  // + the set's ID
  static constexpr long long kAssignMacro = 50000;   // + the macro's ID

  // What the single-key dialog gave: a virtual-key code and ModifierFlags.
  struct KeyChoice {
    int virtualKey = 0;
    int modifiers = 0;
  };
  // Asks the user for the key of button `number`; nothing when the user cancelled.
  using SingleKeyAsker = std::function<std::optional<KeyChoice>(int number)>;

  // The menu lists the macro sets in `db` of the user `key` names.
  CDlgButton(kz::settings::ButtonModel& model, ProfileKeySource key, kz::store::Database& db,
             QWidget* parent = nullptr);
  ~CDlgButton() override;

  void Refresh() override;
  // Macro names may have changed (the macro manager closed): reads them again and shows them.
  void MacrosChanged();

  // Replaces the single-key dialog (tests); an empty asker brings the dialog back.
  void setSingleKeyAsker(SingleKeyAsker asker) { asker_ = std::move(asker); }

  // The menu of button `number`, freshly read from the store; the caller owns it (a parent of
  // nullptr suits a test, a widget of the window lets the window system place the popup).
  // nullptr for a button the page does not reassign.
  QMenu* BuildMenu(int number, QWidget* parent = nullptr);
  // Carries out a command of button `number`'s menu; false when nothing was taken (a button
  // that is not reassigned, an unknown command, a cancelled or refused key, a missing macro).
  bool RunMenuCommand(int number, long long command);
  // What a click does: the button pressed, its menu at 25 px right of its left edge just below
  // it, the chosen command run after the menu closed, the button released.
  void OpenMenu(int number);

  // The controls, for the main window's tests and for tests of this page. Buttons are 1..11.
  MouseKeyBtn* button(int number) const { return buttons_.at(static_cast<size_t>(number - 1)); }
  ButtonMouseView* mouseView() const { return mouseView_; }
  // The button whose menu is open, 0 when none is.
  int pressedButton() const { return pressed_; }

 signals:
  // The macro manager is wanted on the set with this ID, or on no set for 0 (to create one).
  void openMacroManager(long long setId);

 protected:
  void PaintBackground(QPainter& painter) override;

 private:
  std::optional<KeyChoice> AskKey(int number);
  void Hovered(int number, bool inside);
  void ShowMarked();

  kz::store::Database& db_;
  std::array<MouseKeyBtn*, kz::settings::kButtonCount> buttons_{};
  ButtonMouseView* mouseView_ = nullptr;
  SingleKeyAsker asker_;
  int hovered_ = 0;
  int pressed_ = 0;
};

}  // namespace kzgui
