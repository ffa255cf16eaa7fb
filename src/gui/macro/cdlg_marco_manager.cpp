// Layout and commands of the macro manager. Positions are fixed pixels of the 800 x 600 window.
#include "gui/macro/cdlg_marco_manager.h"
#include "gui/kit/tr.h"

#include <QListWidget>
#include <QMenu>
#include <QVariant>
#include <array>

#include "gui/kit/skin_button.h"
#include "gui/kit/theme.h"
#include "gui/macro/cdlg_marco_create.h"
#include "macro/macro_recorder.h"
#include "macro/macro_sets.h"

namespace kzgui {
namespace {

namespace km = kz::macro;
using kit::SkinButton;

struct ButtonPlace {
  int id;
  const char* caption;
  SkinButton::Look look;
  QRect rect;
};
const std::array<ButtonPlace, 6> kButtons = {{
    {CDlgMarcoManager::kSetButton, "", SkinButton::Look::Action, QRect(21, 87, 226, 24)},
    {CDlgMarcoManager::kNewMacro, "新建宏", SkinButton::Look::Action, QRect(25, 549, 101, 34)},
    {CDlgMarcoManager::kDeleteMacro, "删除宏", SkinButton::Look::Action, QRect(134, 548, 96, 34)},
    {CDlgMarcoManager::kSave, "保存", SkinButton::Look::Action, QRect(564, 546, 99, 36)},
    {CDlgMarcoManager::kClose, "关闭", SkinButton::Look::Action, QRect(671, 548, 100, 35)},
    {CDlgMarcoManager::kCloseX, "×", SkinButton::Look::Small, QRect(755, 8, 29, 26)},
}};

QString ListStyleSheet() {
  return QStringLiteral(
             "QListWidget { background: %1; color: %2; border: 1px solid %3; }"
             "QListWidget::item:selected { background: %4; color: %2; }")
      .arg(kit::Theme::EditBackground().name(), kit::Theme::EditText().name(), kit::Theme::BorderLight().name(),
           kit::Theme::Accent().name());
}

// A menu takes "&" as the mark of a shortcut letter; a set's name is shown as it is.
QString MenuText(const std::string& name) { return QString::fromStdString(name).replace('&', QStringLiteral("&&")); }

QAction* AddEntry(QMenu* menu, const QString& text, SetMenuCommand command) {
  QAction* action = menu->addAction(text);
  action->setData(QVariant::fromValue(command));
  return action;
}

}  // namespace

CDlgMarcoManager::CDlgMarcoManager(km::MacroSets& sets, kz::store::Database& db, CDlgMacroSet::Clock clock,
                                   long long initialSetId, QWidget* parent)
    : kit::CDlgBase(parent, Qt::Dialog | Qt::FramelessWindowHint), sets_(sets) {
  setObjectName("macroManager");
  setWindowTitle(QStringLiteral("KZ Mouse"));
  setModal(true);
  setFixedSize(kWidth, kHeight);
  setDragMovesWindow(true);

  for (size_t i = 0; i < kButtons.size(); ++i) {
    const ButtonPlace& place = kButtons[i];
    auto* button = new SkinButton(Tr(place.caption), place.look, this);
    button->setGeometry(place.rect);
    button->setObjectName("button" + QString::number(place.id));
    const int id = place.id;
    connect(button, &QAbstractButton::clicked, this, [this, id] { RunCommand(id); });
    buttons_[i] = button;
  }

  macros_ = new QListWidget(this);
  macros_->setObjectName("macroList");
  macros_->setGeometry(23, 113, 223, 410);
  macros_->setSelectionMode(QAbstractItemView::SingleSelection);
  macros_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // A click on a row must leave the keyboard with the editing page, which may be recording.
  macros_->setFocusPolicy(Qt::NoFocus);
  macros_->setStyleSheet(ListStyleSheet());
  connect(macros_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { LoadRow(item->data(Qt::UserRole).toLongLong()); });

  page_ = new CDlgMacroSet(db, std::move(clock), this);
  page_->move(264, 88);

  askName_ = [this]() -> std::optional<std::string> {
    CDlgMarcoCreate dialog(this);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Name();
  };

  // Only a set of this user: one of another user's would tie this user's new macros to a set
  // their data does not carry.
  long long pick = 0;
  if (initialSetId > 0) {
    for (const km::MacroSetRow& set : sets_.UserSets())
      if (set.id == initialSetId) pick = set.id;
  }
  sets_.SelectSet(pick);
  Refresh();
}

CDlgMarcoManager::~CDlgMarcoManager() = default;

SkinButton* CDlgMarcoManager::Button(int id) const {
  const int index = id - kSetButton;
  return index >= 0 && index < static_cast<int>(buttons_.size()) ? buttons_[static_cast<size_t>(index)] : nullptr;
}

void CDlgMarcoManager::RunCommand(int id) {
  switch (id) {
    case kSetButton: ShowSetMenu(); break;
    case kNewMacro: NewMacro(); break;
    case kDeleteMacro: DeleteMacro(); break;
    case kSave:
      page_->SaveMacro();
      accept();
      break;
    case kClose:
    case kCloseX: reject(); break;
    default: break;
  }
}

QMenu* CDlgMarcoManager::BuildSetMenu() {
  if (setMenu_) setMenu_->deleteLater();
  auto* menu = new QMenu(this);
  menu->setObjectName("macroSetMenu");
  const std::vector<km::MacroSetRow> sets = sets_.UserSets();
  for (const km::MacroSetRow& set : sets) {
    QAction* action = AddEntry(menu, MenuText(set.name), {SetMenuCommand::Kind::kPickSet, set.id});
    action->setCheckable(true);
    action->setChecked(set.id == sets_.CurrentSetId());
  }
  if (!sets.empty()) menu->addSeparator();
  AddEntry(menu, QString::fromUtf8(km::kAddSetMenuText), {SetMenuCommand::Kind::kAddSet, 0});
  QAction* remove = AddEntry(menu, QString::fromUtf8(km::kDeleteSetMenuText), {SetMenuCommand::Kind::kDeleteSet, 0});
  remove->setEnabled(sets_.CurrentSetId() > 0);
  // The choice runs once the menu has closed and its signal returned: a command may open a modal
  // dialog or build the next menu, which drops this one.
  connect(menu, &QMenu::triggered, this, [this](QAction* action) {
    const QVariant data = action->data();
    QMetaObject::invokeMethod(this, [this, data] { RunSetMenuCommand(data); }, Qt::QueuedConnection);
  });
  setMenu_ = menu;
  return menu;
}

void CDlgMarcoManager::ShowSetMenu() {
  SkinButton* button = Button(kSetButton);
  QMenu* menu = BuildSetMenu();
  menu->setMinimumWidth(button->width());
  menu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void CDlgMarcoManager::RunSetMenuCommand(const QVariant& data) {
  if (data.metaType() != QMetaType::fromType<SetMenuCommand>()) return;
  const SetMenuCommand command = data.value<SetMenuCommand>();
  switch (command.kind) {
    case SetMenuCommand::Kind::kPickSet: PickSet(command.setId); break;
    case SetMenuCommand::Kind::kAddSet: AddSet(); break;
    case SetMenuCommand::Kind::kDeleteSet: DeleteSet(); break;
  }
}

void CDlgMarcoManager::PickSet(long long setId) {
  sets_.SelectSet(setId);
  CloseMacroOfOtherSet();
  Refresh();
}

void CDlgMarcoManager::AddSet() {
  const std::optional<std::string> name = askName_();
  if (!name) return;
  if (sets_.CreateSet(*name) == km::NameResult::kExists) MessageTip(QString::fromUtf8(km::kSetNameExists));
  CloseMacroOfOtherSet();
  Refresh();
}

void CDlgMarcoManager::DeleteSet() {
  if (sets_.CurrentSetId() <= 0) return;
  if (MessageTip(QString::fromUtf8(km::kConfirmDeleteSet)) != 1) return;
  sets_.DeleteCurrentSet();
  CloseMacroOfOtherSet();
  Refresh();
}

void CDlgMarcoManager::NewMacro() {
  if (sets_.CurrentSetId() <= 0) {
    MessageTip(QString::fromUtf8(km::kPickMacroSetFirst));
    ShowSetMenu();
    return;
  }
  const std::optional<std::string> name = askName_();
  if (!name) return;
  long long macroId = 0;
  switch (sets_.CreateMacro(*name, &macroId)) {
    case km::NameResult::kAdded: LoadRow(macroId); break;
    case km::NameResult::kExists: MessageTip(QString::fromUtf8(km::kMacroNameExists)); break;
    default: break;
  }
  Refresh();
}

void CDlgMarcoManager::DeleteMacro() {
  QListWidgetItem* item = macros_->currentItem();
  if (!item || !item->isSelected()) return;
  const long long macroId = item->data(Qt::UserRole).toLongLong();
  if (MessageTip(QString::fromUtf8(km::kConfirmDeleteMacro)) != 1) return;
  if (page_->Macro().MacroId() == macroId) page_->CloseMacro();
  sets_.DeleteMacro(macroId);
  Refresh();
}

void CDlgMarcoManager::LoadRow(long long macroId) {
  page_->LoadMacro(macroId, sets_.CurrentSetId(), sets_.CurrentSetGuid());
  Refresh();
}

void CDlgMarcoManager::CloseMacroOfOtherSet() {
  const kz::macro::OpenMacro& open = page_->Macro();
  if (open.MacroId() != 0 && open.SetId() != sets_.CurrentSetId()) page_->CloseMacro();
}

void CDlgMarcoManager::Refresh() {
  Button(kSetButton)->setText(QString::fromStdString(sets_.CurrentSetName()));
  macros_->clear();
  // The selected row is always the macro open in the page.
  const long long open = page_->Macro().MacroId();
  for (const km::MacroRow& macro : sets_.Macros()) {
    auto* item = new QListWidgetItem(QString::fromStdString(macro.name), macros_);
    item->setData(Qt::UserRole, macro.id);
    if (macro.id == open) macros_->setCurrentItem(item);
  }
}

}  // namespace kzgui
