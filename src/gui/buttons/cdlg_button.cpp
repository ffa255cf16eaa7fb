// Layout, menu and bindings of the button page. Positions are fixed pixels of the 834 x 520 page
// area, like every page of the main window.
#include "gui/buttons/cdlg_button.h"
#include "gui/kit/tr.h"

#include <QAction>
#include <QMenu>
#include <QPainter>

#include "gui/buttons/button_mouse_view.h"
#include "gui/buttons/cdlg_single_key_set.h"
#include "gui/buttons/mouse_key_btn.h"
#include "gui/kit/label.h"
#include "gui/kit/theme.h"
#include "macro/macro_sets.h"

namespace kzgui {
namespace {

using kit::Label;
using kit::Theme;
namespace ks = kz::settings;

constexpr QSize kPageSize(834, 520);
constexpr QRect kLeftSection(12, 12, 216, 496);
constexpr QRect kMouseSection(240, 12, 354, 496);
constexpr QRect kRightSection(606, 12, 216, 496);
// Buttons 1..6 stand left of the picture, 7..11 right of it, each column centred in its panel.
constexpr int kLeftColumnCount = 6;
constexpr QSize kButtonSize(172, 34);
constexpr int kRowPitch = 72;
// The menu opens this far right of the button's left edge.
constexpr int kMenuIndent = 25;

QString MenuText(const std::string& name) {
  // An ampersand in a name would otherwise mark a shortcut letter and vanish.
  return QString::fromStdString(name).replace('&', QStringLiteral("&&"));
}

QAction* AddCommand(QMenu* menu, const QString& text, long long command) {
  QAction* action = menu->addAction(text);
  action->setData(QVariant::fromValue<qlonglong>(command));
  return action;
}

// Menus are windows of their own, which take neither the page's palette nor its font.
void Skin(QMenu* menu) {
  menu->setFont(Theme::Font(13));
  menu->setStyleSheet(QStringLiteral("QMenu { background: %1; color: %2; border: 1px solid %3; padding: 4px 0; }"
                                     "QMenu::item { padding: 5px 24px 5px 20px; }"
                                     "QMenu::item:selected { background: %4; color: %2; }"
                                     "QMenu::item:disabled { color: %5; }"
                                     "QMenu::separator { height: 1px; background: %6; margin: 4px 8px; }")
                          .arg(Theme::PanelRaised().name(), Theme::Text().name(), Theme::BorderLight().name(),
                               Theme::Accent().name(), Theme::TextDisabled().name(), Theme::Border().name()));
}

QMenu* AddSubmenu(QMenu* menu, const QString& title) {
  QMenu* sub = menu->addMenu(title);
  Skin(sub);
  return sub;
}

}  // namespace

CDlgButton::CDlgButton(ks::ButtonModel& model, ProfileKeySource key, kz::store::Database& db, QWidget* parent)
    : ModelPage(model, std::move(key), parent), db_(db) {
  setFixedSize(kPageSize);
  mouseView_ = new ButtonMouseView(this);
  mouseView_->setGeometry(kMouseSection.adjusted(8, 8, -8, -8));
  mouseView_->setObjectName("buttonMouseView");

  const int rightCount = ks::kButtonCount - kLeftColumnCount;
  for (int number = 1; number <= ks::kButtonCount; ++number) {
    const bool left = number <= kLeftColumnCount;
    const QRect& section = left ? kLeftSection : kRightSection;
    const int rows = left ? kLeftColumnCount : rightCount;
    const int row = left ? number - 1 : number - 1 - kLeftColumnCount;
    const int top = section.top() + (section.height() - ((rows - 1) * kRowPitch + kButtonSize.height())) / 2;
    const int y = top + row * kRowPitch;
    // The number sits on the side away from the picture, where the picture shows it too.
    const int buttonX = left ? section.right() - 11 - kButtonSize.width() : section.left() + 12;
    const int numberX = left ? section.left() + 6 : buttonX + kButtonSize.width() + 4;

    auto* badge = new Label(QString::number(number), Label::Style::Dim, this);
    badge->setGeometry(numberX, y, 22, kButtonSize.height());
    badge->setAlignment(Qt::AlignCenter);

    auto* button = new MouseKeyBtn(number, this);
    button->setGeometry(QRect(QPoint(buttonX, y), kButtonSize));
    // The left and right buttons keep their functions: shown, but not offered.
    button->setEnabled(ks::ButtonModel::IsReassignable(number));
    connect(button, &QAbstractButton::clicked, this, [this, number] { OpenMenu(number); });
    connect(button, &MouseKeyBtn::hoverChanged, this, &CDlgButton::Hovered);
    buttons_[static_cast<size_t>(number - 1)] = button;
  }
  Refresh();
}

CDlgButton::~CDlgButton() = default;

void CDlgButton::Refresh() {
  refreshing_ = true;
  for (int number = 1; number <= ks::kButtonCount; ++number) {
    MouseKeyBtn* b = button(number);
    // Only a factory function's caption is the program's own text; a key or macro name is shown
    // as it is.
    const ks::ButtonSlot& slot = model_.Slot(number);
    const bool factory = !slot.HasMacro() && slot.key == 0;
    const QString caption = factory ? Tr(model_.Caption(number)) : QString::fromStdString(model_.Caption(number));
    b->setText(caption);
    // A long macro name shrinks on the face; the tip shows it whole.
    b->setToolTip(caption);
    b->setHighlighted(number == pressed_);
  }
  refreshing_ = false;
}

void CDlgButton::MacrosChanged() {
  model_.RefreshCaptions();
  Refresh();
}

QMenu* CDlgButton::BuildMenu(int number, QWidget* parent) {
  if (!ks::ButtonModel::IsReassignable(number)) return nullptr;
  auto* menu = new QMenu(parent);
  menu->setObjectName("buttonMenu");
  Skin(menu);
  AddCommand(menu, Tr("恢复默认"), kRestoreDefault);
  AddCommand(menu, Tr("单键设定"), kSingleKey);
  menu->addSeparator();

  QMenu* macros = AddSubmenu(menu, Tr("宏定义集"));
  AddCommand(macros, Tr("创建宏定义集..."), kCreateMacroSet);
  const kz::macro::MacroSets sets(db_, key_().user);
  const std::vector<kz::macro::MacroSetRow> userSets = sets.UserSets();
  if (!userSets.empty()) macros->addSeparator();
  for (const kz::macro::MacroSetRow& set : userSets) {
    QMenu* setMenu = AddSubmenu(macros, MenuText(set.name));
    AddCommand(setMenu, Tr("编辑..."), kEditMacroSet + set.id);
    const std::vector<kz::macro::MacroRow> setMacros = sets.MacrosOfSet(set.guid);
    if (!setMacros.empty()) setMenu->addSeparator();
    for (const kz::macro::MacroRow& macro : setMacros)
      AddCommand(setMenu, MenuText(macro.name), kAssignMacro + macro.id);
  }
  return menu;
}

bool CDlgButton::RunMenuCommand(int number, long long command) {
  if (!ks::ButtonModel::IsReassignable(number)) return false;
  if (command == kCreateMacroSet) {
    emit openMacroManager(0);
    return true;
  }
  if (command >= kEditMacroSet && command < kAssignMacro) {
    emit openMacroManager(command - kEditMacroSet);
    return true;
  }
  bool taken = false;
  if (command == kRestoreDefault) {
    Act([&] { taken = model_.RestoreDefault(number); });
  } else if (command == kSingleKey) {
    QPointer<CDlgButton> self(this);
    const std::optional<KeyChoice> choice = AskKey(number);
    if (!self || !choice) return false;
    // The model refuses a key the mouse has no code for, leaving the button as it was.
    Act([&] { taken = model_.SetSingleKey(number, choice->virtualKey, choice->modifiers); });
  } else if (command > kAssignMacro) {
    Act([&] { taken = model_.AssignMacroById(number, command - kAssignMacro); });
  }
  return taken;
}

void CDlgButton::OpenMenu(int number) {
  if (!ks::ButtonModel::IsReassignable(number) || pressed_ != 0) return;
  MouseKeyBtn* pressedButton = button(number);
  QPointer<CDlgButton> self(this);
  QPointer<QMenu> menu = BuildMenu(number, this);
  long long command = 0;
  // A submenu's item reaches the top menu's signal too, also when something other than a click
  // triggered it.
  connect(menu, &QMenu::triggered, menu, [&command](QAction* action) { command = action->data().toLongLong(); });
  pressed_ = number;
  pressedButton->setHighlighted(true);
  ShowMarked();
  menu->exec(pressedButton->mapToGlobal(QPoint(kMenuIndent, pressedButton->height())));
  if (!self) return;  // the page went away with the menu open
  delete menu.data();
  pressed_ = 0;
  pressedButton->setHighlighted(false);
  ShowMarked();
  // Only now, with the menu gone, may the command open a dialog of its own.
  if (command != 0) RunMenuCommand(number, command);
}

std::optional<CDlgButton::KeyChoice> CDlgButton::AskKey(int number) {
  if (asker_) return asker_(number);
  QPointer<CDlgSingleKeySet> dialog = new CDlgSingleKeySet(this);
  const int result = dialog->exec();
  if (!dialog) return std::nullopt;  // destroyed with the page while open
  const KeyChoice choice{dialog->Key(), dialog->Modifiers()};
  delete dialog.data();
  if (result != QDialog::Accepted) return std::nullopt;
  return choice;
}

void CDlgButton::Hovered(int number, bool inside) {
  if (inside)
    hovered_ = number;
  else if (hovered_ == number)
    hovered_ = 0;
  ShowMarked();
}

void CDlgButton::ShowMarked() {
  // While a button's menu is open the picture stays on that button: the popup takes the hover
  // away from it, and the user is still choosing for it.
  mouseView_->setMarked(pressed_ != 0 ? pressed_ : hovered_);
}

void CDlgButton::PaintBackground(QPainter& painter) {
  kit::CDlgBase::PaintBackground(painter);
  for (const QRect& section : {kLeftSection, kMouseSection, kRightSection}) Theme::PaintPanel(painter, section, true);
}

}  // namespace kzgui
