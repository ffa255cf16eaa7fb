#pragma once
// The macro manager: the current user's macro sets, the current set's macros and the editing page
// of the open macro. The set button's menu lists the user's sets and the commands to add a set and
// to delete the current one; every name comes from the name dialog and follows the rules of
// kz::macro::MacroSets.
//
// User-interface thread only. Nothing here waits: the menu pops up and its choice comes back as a
// queued call, and the only loops are those of the modal name dialog and message tips.
#include <QMenu>
#include <QMetaType>
#include <QPointer>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "gui/kit/cdlg_base.h"
#include "gui/macro/cdlg_macro_set.h"

class QListWidget;
class QVariant;

namespace kz::macro {
class MacroSets;
}

namespace kzgui {

namespace kit {
class SkinButton;
}

// What an entry of the set menu does; the entries carry it as their QAction data, so the two
// commands never clash with a set, whatever its ID.
struct SetMenuCommand {
  enum class Kind { kPickSet, kAddSet, kDeleteSet };
  Kind kind = Kind::kPickSet;
  long long setId = 0;  // of kPickSet
};

class CDlgMarcoManager : public kit::CDlgBase {
  Q_OBJECT
 public:
  enum Command {
    kSetButton = 6000, kNewMacro = 6001, kDeleteMacro = 6002, kSave = 6003, kClose = 6004, kCloseX = 6005
  };
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 600;

  // A name from the user, or nothing when they cancelled.
  using NameAsker = std::function<std::optional<std::string>()>;

  // `sets` are the current user's; `db` holds the macros the editing page opens. An `initialSetId`
  // above 0 picks that set when it is one of the user's.
  CDlgMarcoManager(kz::macro::MacroSets& sets, kz::store::Database& db, CDlgMacroSet::Clock clock,
                   long long initialSetId, QWidget* parent = nullptr);
  ~CDlgMarcoManager() override;

  // Replaces the name dialog (tests answer with names of their own).
  void setNameAsker(NameAsker asker) { askName_ = std::move(asker); }

  // A button command (6000 to 6005).
  void RunCommand(int id);
  // A fresh set menu: the user's sets, a separator when there are any, then the two commands.
  // The manager owns it; the previous one is dropped.
  QMenu* BuildSetMenu();
  // The menu shown last (or built last), nullptr before the first.
  QMenu* SetMenu() const { return setMenu_; }
  // What choosing a menu entry does, given the entry's data; data of no entry does nothing.
  void RunSetMenuCommand(const QVariant& data);

  kit::SkinButton* Button(int id) const;
  QListWidget* macroList() const { return macros_; }
  CDlgMacroSet* Page() const { return page_; }

  void Refresh() override;

 private:
  void ShowSetMenu();
  void PickSet(long long setId);
  void AddSet();
  void DeleteSet();
  void NewMacro();
  void DeleteMacro();
  void LoadRow(long long macroId);
  // The page keeps no macro of a set that is no longer the current one.
  void CloseMacroOfOtherSet();

  kz::macro::MacroSets& sets_;
  NameAsker askName_;
  std::array<kit::SkinButton*, 6> buttons_{};
  QListWidget* macros_ = nullptr;
  CDlgMacroSet* page_ = nullptr;
  QPointer<QMenu> setMenu_;
};

}  // namespace kzgui

Q_DECLARE_METATYPE(kzgui::SetMenuCommand)
