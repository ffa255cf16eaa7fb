// The macro manager over a test database: the name dialog's rules, sets and macros through the
// set menu and the buttons, and recording on the editing page through synthetic key events and a
// fake clock. Message tips are answered from inside their own modal loop.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <deque>
#include <memory>
#include <ostream>
#include <optional>
#include <string>
#include <vector>

#include "gui/keys/virtual_keys.h"
#include "gui/kit/cdlg_tip.h"
#include "gui/kit/number_edit.h"
#include "gui/kit/skin_button.h"
#include "gui/macro/cdlg_macro_set.h"
#include "gui/macro/cdlg_marco_create.h"
#include "gui/macro/cdlg_marco_manager.h"
#include "macro/macro_event.h"
#include "macro/macro_recorder.h"
#include "macro/macro_sets.h"
#include "macro/open_macro.h"
#include "settings/model_fixture.h"

// Failures print the text, not its UTF-16 units.
static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace kz::macro {
static void PrintTo(const MacroEvent& e, std::ostream* os) {
  *os << '{' << e.key << ',' << e.down << ',' << e.delay << '}';
}
}  // namespace kz::macro

namespace {

namespace km = kz::macro;
using kzgui::CDlgMacroSet;
using kzgui::CDlgMarcoCreate;
using kzgui::CDlgMarcoManager;
using kzgui::kit::CDlgTIp;
using std::chrono::milliseconds;
using TimePoint = std::chrono::steady_clock::time_point;

QString Utf8(const char* text) { return QString::fromUtf8(text); }

QString Repeat(const QString& piece, int times) {
  QString text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

// Answers every message tip opened while it lives, in order: 1 presses OK, 2 the close button;
// tips past the list are closed, so a tip nobody expected never proceeds. Keeps their texts.
class TipAnswers {
 public:
  explicit TipAnswers(std::vector<int> answers = {}) : answers_(std::move(answers)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Answer(); });
    timer_.start(0);
  }
  std::vector<QString> texts;

 private:
  void Answer() {
    CDlgTIp* tip = CDlgTIp::Current();
    if (!tip || !tip->isVisible()) return;
    texts.push_back(tip->text());
    const int answer = next_ < answers_.size() ? answers_[next_++] : CDlgTIp::kClosed;
    (answer == CDlgTIp::kOk ? tip->okButton() : tip->closeButton())->click();
  }

  std::vector<int> answers_;
  size_t next_ = 0;
  QTimer timer_;
};

// Typing as the keyboard does it: one key event per character, carrying the character.
void Type(QWidget* widget, const QString& text) {
  for (char32_t c : text.toUcs4()) {
    const QString one = QString::fromUcs4(&c, 1);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, one);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, one);
    QApplication::sendEvent(widget, &release);
  }
}

// A paste as the user makes it. The clipboard is used only on the offscreen platform, where it
// belongs to this process; elsewhere the text goes in the way paste() puts the clipboard's text.
void Paste(QLineEdit* edit, const QString& text) {
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
    QGuiApplication::clipboard()->setText(text);
    edit->paste();
  } else {
    edit->insert(text);
  }
}

// ---------------------------------------------------------------------------------------------
// The name dialog

TEST(MacroCreateDialogTest, ConfirmTrimsAndBlanksKeepTheDialogOpen) {
  struct Case {
    const char* typed;
    bool accepted;
    const char* name;
  } cases[] = {
      {"  连招一  ", true, "连招一"},
      {"\t a b \t", true, "a b"},
      {"   ", false, ""},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    CDlgMarcoCreate dialog;
    dialog.show();
    EXPECT_EQ(dialog.objectName(), "macroNameDialog");
    Type(dialog.nameEdit(), Utf8(c.typed));
    dialog.Button(CDlgMarcoCreate::kConfirm)->click();
    EXPECT_EQ(dialog.isVisible(), !c.accepted) << c.typed;
    EXPECT_EQ(dialog.result(), c.accepted ? QDialog::Accepted : QDialog::Rejected) << c.typed;
    EXPECT_EQ(dialog.Name(), c.name) << c.typed;
  }
  // Enter confirms like the button; cancel and × end without a name.
  CDlgMarcoCreate entered;
  entered.show();
  Type(entered.nameEdit(), "宏");
  QTest::keyClick(entered.nameEdit(), Qt::Key_Return);
  EXPECT_EQ(entered.result(), QDialog::Accepted);
  EXPECT_EQ(entered.Name(), "宏");
  for (int id : {CDlgMarcoCreate::kCancel, CDlgMarcoCreate::kClose}) {
    CDlgMarcoCreate dialog;
    dialog.show();
    Type(dialog.nameEdit(), "宏");
    dialog.Button(id)->click();
    EXPECT_FALSE(dialog.isVisible()) << id;
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << id;
    EXPECT_EQ(dialog.Name(), "") << id;
  }
}

TEST(MacroCreateDialogTest, NamesStopAtSixtyFourCharactersTypedOrPasted) {
  const QString key = Utf8("键");
  const QString face = QString::fromUcs4(U"\U0001F600", 1);  // outside the BMP: two UTF-16 units
  struct Case {
    const char* name;
    QString before;  // typed first
    int cursor;      // then the cursor goes here (-1: stays at the end)
    QString typed;
    QString pasted;
    QString expected;
  } cases[] = {
      {"64 Chinese characters fit", {}, -1, Repeat(key, 64), {}, Repeat(key, 64)},
      {"the 65th cannot be typed", Repeat(key, 64), -1, "a", {}, Repeat(key, 64)},
      {"a character outside the BMP counts once", {}, -1, Repeat(face, 64), {}, Repeat(face, 64)},
      {"and the 65th of those is refused too", Repeat(face, 64), -1, key, {}, Repeat(face, 64)},
      {"a long paste is cut to the limit", {}, -1, {}, Repeat(Utf8("宏"), 100), Repeat(Utf8("宏"), 64)},
      {"a paste into the middle keeps both ends", "ab", 1, {}, Repeat(key, 70), "a" + Repeat(key, 62) + "b"},
      {"a paste never splits a character", Repeat(face, 63), -1, {}, face + face, Repeat(face, 64)},
  };
  for (const Case& c : cases) {
    CDlgMarcoCreate dialog;
    dialog.show();
    QLineEdit* edit = dialog.nameEdit();
    Type(edit, c.before);
    if (c.cursor >= 0) edit->setCursorPosition(c.cursor);
    Type(edit, c.typed);
    if (!c.pasted.isEmpty()) Paste(edit, c.pasted);
    EXPECT_EQ(edit->text(), c.expected) << c.name;
    dialog.Button(CDlgMarcoCreate::kConfirm)->click();
    // The store counts the same characters, so it takes every name the dialog lets through.
    EXPECT_EQ(km::CharacterCount(dialog.Name()), CDlgMarcoCreate::CharacterCount(c.expected)) << c.name;
    EXPECT_LE(km::CharacterCount(dialog.Name()), km::kMaxNameCharacters) << c.name;
  }
}

// ---------------------------------------------------------------------------------------------
// The manager

class MacroManagerTest : public kztest::ModelFixture {
 protected:
  void TearDown() override {
    manager_.reset();
    ModelFixture::TearDown();
  }

  CDlgMarcoManager& Open(long long initialSet = 0, km::MacroSets* sets = nullptr) {
    manager_.reset();
    manager_ = std::make_unique<CDlgMarcoManager>(sets ? *sets : sets_, db_, [this] { return now_; }, initialSet);
    manager_->setNameAsker([this]() -> std::optional<std::string> {
      ++asked_;
      if (names_.empty()) return std::nullopt;
      std::string name = names_.front();
      names_.pop_front();
      return name;
    });
    manager_->show();
    return *manager_;
  }

  // The entries of a fresh set menu, "---" for a separator.
  std::vector<QString> MenuTexts() {
    std::vector<QString> texts;
    for (QAction* action : manager_->BuildSetMenu()->actions())
      texts.push_back(action->isSeparator() ? QStringLiteral("---") : action->text());
    return texts;
  }
  // Chooses the entry of a fresh set menu with this text, the way the menu hands it over.
  void Choose(const QString& text) {
    for (QAction* action : manager_->BuildSetMenu()->actions()) {
      if (action->text() == text) {
        manager_->RunSetMenuCommand(action->data());
        return;
      }
    }
    ADD_FAILURE() << "no menu entry " << text.toStdString();
  }
  void AddSet(const std::string& name) {
    names_.push_back(name);
    Choose(Utf8(km::kAddSetMenuText));
  }
  void NewMacro(const std::string& name) {
    names_.push_back(name);
    manager_->Button(CDlgMarcoManager::kNewMacro)->click();
  }

  QString SetButtonText() const { return manager_->Button(CDlgMarcoManager::kSetButton)->text(); }
  std::vector<QString> Rows() const {
    std::vector<QString> rows;
    for (int i = 0; i < manager_->macroList()->count(); ++i) rows.push_back(manager_->macroList()->item(i)->text());
    return rows;
  }
  QString SelectedRow() const {
    QListWidgetItem* item = manager_->macroList()->currentItem();
    return item && item->isSelected() ? item->text() : QString();
  }
  void ClickRow(const QString& text) {
    QListWidget* list = manager_->macroList();
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
  }
  long long StoredNumber(const char* column, long long macroId) {
    kz::store::Recordset rs(db_);
    EXPECT_TRUE(rs.Open(std::string("select ") + column + " from macro_set_detail2 where ID=?", {macroId}));
    long long value = -1;
    rs.GetFieldValue(0, value);
    return value;
  }

  TimePoint now_{};
  km::MacroSets sets_{db_, "CommonUser"};
  std::deque<std::string> names_;
  int asked_ = 0;
  std::unique_ptr<CDlgMarcoManager> manager_;
};

TEST_F(MacroManagerTest, ControlsSitWhereTheLayoutSays) {
  CDlgMarcoManager& manager = Open();
  EXPECT_EQ(manager.objectName(), "macroManager");
  EXPECT_EQ(manager.size(), QSize(800, 600));
  EXPECT_TRUE(manager.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(manager.isModal());
  const struct {
    int id;
    QRect rect;
    const char* caption;
  } buttons[] = {
      {6000, QRect(21, 87, 226, 24), ""},        {6001, QRect(25, 549, 101, 34), "新建宏"},
      {6002, QRect(134, 548, 96, 34), "删除宏"}, {6003, QRect(564, 546, 99, 36), "保存"},
      {6004, QRect(671, 548, 100, 35), "关闭"},  {6005, QRect(755, 8, 29, 26), "×"},
  };
  for (const auto& b : buttons) {
    ASSERT_NE(manager.Button(b.id), nullptr) << b.id;
    EXPECT_EQ(manager.Button(b.id)->geometry(), b.rect) << b.id;
    EXPECT_EQ(manager.Button(b.id)->text(), Utf8(b.caption)) << b.id;
  }
  EXPECT_EQ(manager.macroList()->geometry(), QRect(23, 113, 223, 410));

  CDlgMacroSet* page = manager.Page();
  EXPECT_FALSE(page->isWindow()) << "the editing page is part of the manager's window";
  EXPECT_EQ(page->pos(), QPoint(264, 88));
  EXPECT_TRUE(manager.rect().contains(page->geometry()));
  EXPECT_EQ(page->eventList()->geometry(), QRect(2, 23, 247, 408));
  EXPECT_TRUE(page->eventList()->isHeaderHidden());
  EXPECT_EQ(page->eventList()->columnWidth(0), 80);
  EXPECT_EQ(page->eventList()->columnWidth(1), 147);
  EXPECT_EQ(page->Button(7000)->geometry(), QRect(277, 56, 165, 35));
  EXPECT_EQ(page->Button(7000)->text(), "开始录制");
  EXPECT_EQ(page->Button(7001)->geometry(), QRect(284, 109, 200, 29));
  EXPECT_EQ(page->Button(7001)->text(), "记录延时");
  EXPECT_EQ(page->Button(7002)->geometry(), QRect(284, 237, 76, 28));
  EXPECT_EQ(page->Button(7002)->text(), "重复");
  EXPECT_EQ(page->repeatCountEdit()->geometry(), QRect(326, 275, 45, 16));
}

TEST_F(MacroManagerTest, SetsGetTrimmedUniqueNamesAndBecomeCurrent) {
  Open();
  EXPECT_EQ(SetButtonText(), "");
  AddSet(" 游戏 ");
  EXPECT_EQ(SetButtonText(), "游戏");
  EXPECT_EQ(sets_.UserSets().size(), 1u);

  TipAnswers tips;
  AddSet("游戏");
  EXPECT_EQ(tips.texts, std::vector<QString>{Utf8(km::kSetNameExists)});
  EXPECT_EQ(sets_.UserSets().size(), 1u);
  EXPECT_EQ(SetButtonText(), "游戏");

  AddSet("办公");
  EXPECT_EQ(SetButtonText(), "办公");
  Choose(Utf8(km::kAddSetMenuText));  // the name dialog cancelled
  EXPECT_EQ(asked_, 4);
  EXPECT_EQ(sets_.UserSets().size(), 2u);
  EXPECT_EQ(tips.texts.size(), 1u);
}

TEST_F(MacroManagerTest, TheNameDialogAsksForTheNameUnlessReplaced) {
  manager_ = std::make_unique<CDlgMarcoManager>(sets_, db_, [this] { return now_; }, 0);
  manager_->show();
  QString typedInto;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    auto* dialog = qobject_cast<CDlgMarcoCreate*>(modal);
    if (!dialog) {
      ADD_FAILURE() << "no name dialog";
      if (modal) modal->close();
      return;
    }
    typedInto = dialog->objectName();
    Type(dialog->nameEdit(), "  宏集  ");
    dialog->Button(CDlgMarcoCreate::kConfirm)->click();
  });
  Choose(Utf8(km::kAddSetMenuText));
  EXPECT_EQ(typedInto, "macroNameDialog");
  EXPECT_EQ(SetButtonText(), "宏集");
}

TEST_F(MacroManagerTest, SetMenuListsThisUsersSetsThenTheTwoCommands) {
  ASSERT_EQ(sets_.CreateSet("甲"), km::NameResult::kAdded);
  ASSERT_EQ(sets_.CreateSet("乙"), km::NameResult::kAdded);
  km::MacroSets other(db_, "someone else");
  ASSERT_EQ(other.CreateSet("丙"), km::NameResult::kAdded);
  const QString add = Utf8(km::kAddSetMenuText), remove = Utf8(km::kDeleteSetMenuText);

  // Another user's set is not this user's to start with either.
  Open(other.CurrentSetId());
  EXPECT_EQ(SetButtonText(), "");
  EXPECT_EQ(MenuTexts(), (std::vector<QString>{"甲", "乙", "---", add, remove}));
  EXPECT_FALSE(manager_->SetMenu()->actions().back()->isEnabled()) << "nothing to delete before a set is picked";

  // The set button's menu hands the chosen entry back once it has closed.
  manager_->Button(CDlgMarcoManager::kSetButton)->click();
  QMenu* shown = manager_->SetMenu();
  ASSERT_TRUE(shown && shown->isVisible());
  shown->actions().at(1)->trigger();
  EXPECT_EQ(SetButtonText(), "");
  shown->hide();
  QCoreApplication::processEvents();
  EXPECT_EQ(SetButtonText(), "乙");
  EXPECT_EQ(sets_.CurrentSetName(), "乙");
  for (QAction* action : manager_->BuildSetMenu()->actions())
    EXPECT_EQ(action->isChecked(), action->text() == "乙") << action->text().toStdString();
  EXPECT_TRUE(manager_->SetMenu()->actions().back()->isEnabled());

  // Only the menu's own entries act: a bare set ID, as an entry might once have carried, is none.
  manager_->RunSetMenuCommand(QVariant::fromValue<qlonglong>(other.CurrentSetId()));
  manager_->RunSetMenuCommand(QVariant());
  EXPECT_EQ(sets_.CurrentSetName(), "乙");

  km::MacroSets fresh(db_, "新用户");
  Open(0, &fresh);
  EXPECT_EQ(MenuTexts(), (std::vector<QString>{add, remove})) << "no separator without sets";
}

TEST_F(MacroManagerTest, DeletingASetOrAMacroNeedsAConfirmation) {
  ASSERT_EQ(sets_.CreateSet("甲"), km::NameResult::kAdded);
  ASSERT_EQ(sets_.CreateMacro("a"), km::NameResult::kAdded);
  ASSERT_EQ(sets_.CreateMacro("b"), km::NameResult::kAdded);
  Open(sets_.CurrentSetId());
  EXPECT_EQ(Rows(), (std::vector<QString>{"a", "b"}));

  {
    TipAnswers tips;
    manager_->Button(CDlgMarcoManager::kDeleteMacro)->click();
    EXPECT_TRUE(tips.texts.empty()) << "no row selected: nothing to confirm";
  }
  ClickRow("b");
  {
    TipAnswers tips({CDlgTIp::kClosed, CDlgTIp::kOk});
    manager_->Button(CDlgMarcoManager::kDeleteMacro)->click();
    EXPECT_EQ(Rows(), (std::vector<QString>{"a", "b"}));
    manager_->Button(CDlgMarcoManager::kDeleteMacro)->click();
    EXPECT_EQ(tips.texts, std::vector<QString>(2, Utf8(km::kConfirmDeleteMacro)));
    EXPECT_EQ(Rows(), std::vector<QString>{"a"});
    EXPECT_EQ(manager_->Page()->Macro().MacroId(), 0) << "the deleted macro is no longer open";
  }

  ClickRow("a");
  {
    TipAnswers tips({CDlgTIp::kClosed});
    Choose(Utf8(km::kDeleteSetMenuText));
    EXPECT_EQ(tips.texts, std::vector<QString>{Utf8(km::kConfirmDeleteSet)});
    EXPECT_EQ(SetButtonText(), "甲");
    EXPECT_EQ(Rows(), std::vector<QString>{"a"});
    EXPECT_EQ(sets_.UserSets().size(), 1u);
  }
  {
    TipAnswers tips({CDlgTIp::kOk});
    Choose(Utf8(km::kDeleteSetMenuText));
    EXPECT_EQ(tips.texts.size(), 1u);
    EXPECT_EQ(SetButtonText(), "");
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(sets_.UserSets().empty());
    EXPECT_EQ(manager_->Page()->Macro().MacroId(), 0);
  }
}

TEST_F(MacroManagerTest, NewMacroWithoutASetAsksToPickOneAndOpensTheSetMenu) {
  Open();
  TipAnswers tips;
  NewMacro("copy");
  EXPECT_EQ(tips.texts, std::vector<QString>{Utf8(km::kPickMacroSetFirst)});
  EXPECT_EQ(asked_, 0) << "no name is asked for without a set";
  QMenu* menu = manager_->SetMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->isVisible());
  const QWidget* setButton = manager_->Button(CDlgMarcoManager::kSetButton);
  EXPECT_EQ(menu->pos(), setButton->mapToGlobal(QPoint(0, setButton->height()))) << "just below the set button";
  menu->hide();
  EXPECT_TRUE(Rows().empty());
}

TEST_F(MacroManagerTest, MacrosAreListedByNameAndTheClickedOneIsOpened) {
  Open();
  AddSet("甲");
  const long long firstSet = sets_.CurrentSetId();
  NewMacro("zeta");
  NewMacro(" alpha ");
  EXPECT_EQ(Rows(), (std::vector<QString>{"alpha", "zeta"}));
  EXPECT_EQ(SelectedRow(), "alpha") << "a new macro is selected and opened";
  const km::OpenMacro& open = manager_->Page()->Macro();
  ASSERT_TRUE(sets_.FindMacro("alpha"));
  EXPECT_EQ(open.MacroId(), sets_.FindMacro("alpha")->id);

  TipAnswers tips;
  NewMacro("zeta");
  AddSet("乙");
  NewMacro("alpha");  // names are the user's, across sets
  EXPECT_EQ(tips.texts, std::vector<QString>(2, Utf8(km::kMacroNameExists)));
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(open.MacroId(), 0) << "the page keeps no macro of a set no longer shown";

  Choose("甲");
  const long long zeta = sets_.FindMacro("zeta")->id;
  ASSERT_TRUE(db_.Execute("update macro_set_detail2 set macro_value=?, macro_repeat=9, repeat_sel=1 where ID=?",
                          {std::string("65,1,0;65,0,0;"), zeta}));
  ClickRow("zeta");
  EXPECT_EQ(open.MacroId(), zeta);
  EXPECT_EQ(open.SetId(), firstSet);
  EXPECT_EQ(open.SetGuid(), sets_.CurrentSetGuid());
  EXPECT_EQ(SelectedRow(), "zeta");
  EXPECT_EQ(manager_->Page()->eventList()->topLevelItemCount(), 2);
  EXPECT_EQ(manager_->Page()->repeatCountEdit()->text(), "9");
  EXPECT_TRUE(manager_->Page()->Button(CDlgMacroSet::kRepeat)->isChecked());
}

TEST_F(MacroManagerTest, SaveAcceptsAtOnceAndCloseRejectsYetKeepsTheEditsWhenItGoes) {
  ASSERT_EQ(sets_.CreateSet("甲"), km::NameResult::kAdded);
  long long macro = 0;
  ASSERT_EQ(sets_.CreateMacro("m", &macro), km::NameResult::kAdded);
  const long long set = sets_.CurrentSetId();

  Open(set);
  ClickRow("m");
  manager_->Page()->Button(CDlgMacroSet::kRepeat)->click();
  manager_->Button(CDlgMarcoManager::kSave)->click();
  EXPECT_EQ(manager_->result(), QDialog::Accepted);
  EXPECT_FALSE(manager_->isVisible());
  EXPECT_EQ(StoredNumber("repeat_sel", macro), 1) << "saved before the manager goes";

  for (int close : {CDlgMarcoManager::kClose, CDlgMarcoManager::kCloseX}) {
    const long long before = StoredNumber("repeat_sel", macro);
    Open(set);
    ClickRow("m");
    manager_->Page()->Button(CDlgMacroSet::kRepeat)->click();
    manager_->Button(close)->click();
    EXPECT_EQ(manager_->result(), QDialog::Rejected) << close;
    manager_.reset();
    EXPECT_EQ(StoredNumber("repeat_sel", macro), 1 - before) << close;
  }
}

// ---------------------------------------------------------------------------------------------
// The editing page

// The page inside a dialog of its own with a Return shortcut and a default button: keys the page
// let through would close the dialog, press the button or trigger the shortcut.
class MacroSetPageTest : public kztest::ModelFixture {
 protected:
  static constexpr int kShift = 0xA0, kTab = 0x09, kEscape = 0x1B, kEnter = 0x0D, kA = 0x41;

  void SetUp() override {
    ModelFixture::SetUp();
    ASSERT_EQ(sets_.CreateSet("键盘"), km::NameResult::kAdded);
    ASSERT_EQ(sets_.CreateMacro("m1", &first_), km::NameResult::kAdded);
    ASSERT_EQ(sets_.CreateMacro("m2", &second_), km::NameResult::kAdded);
    now_ = TimePoint(std::chrono::hours(100));

    host_ = std::make_unique<QDialog>();
    host_->resize(CDlgMacroSet::kWidth, CDlgMacroSet::kHeight + 40);
    auto* button = new QPushButton("OK", host_.get());
    button->setGeometry(10, CDlgMacroSet::kHeight + 5, 80, 30);
    button->setDefault(true);
    QObject::connect(button, &QPushButton::clicked, [this] { ++hostReactions_; });
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_Return), host_.get());
    QObject::connect(shortcut, &QShortcut::activated, [this] { ++hostReactions_; });
    page_ = new CDlgMacroSet(db_, [this] { return now_; }, host_.get());
    host_->show();
    host_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host_.get()));
  }
  void TearDown() override {
    host_.reset();
    ModelFixture::TearDown();
  }

  void Open(long long macroId) { page_->LoadMacro(macroId, sets_.CurrentSetId(), sets_.CurrentSetGuid()); }
  void Click(int id) { page_->Button(id)->click(); }
  void Start() {
    Click(CDlgMacroSet::kRecord);
    ASSERT_TRUE(page_->Recording());
  }

  // One key event, `afterMs` after the previous one by the clock, as the window system hands it
  // to the focus widget: a press first goes through the shortcut check. `stamp` is the event's
  // own time (0: none).
  void Key(QEvent::Type type, Qt::Key key, int afterMs, ulong stamp = 0, bool autoRepeat = false) {
    now_ += milliseconds(afterMs);
    QWidget* focus = QApplication::focusWidget();
    ASSERT_EQ(focus, page_) << "the keyboard stays with the page";
    if (type == QEvent::KeyPress && qt_sendShortcutOverrideEvent(focus, stamp, key, Qt::NoModifier, {}, autoRepeat))
      return;
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    event.setTimestamp(stamp);
    QApplication::sendEvent(focus, &event);
  }
  void Press(Qt::Key key, int afterMs = 0, ulong stamp = 0) { Key(QEvent::KeyPress, key, afterMs, stamp); }
  void Release(Qt::Key key, int afterMs = 0, ulong stamp = 0) { Key(QEvent::KeyRelease, key, afterMs, stamp); }

  const std::vector<km::MacroEvent>& Events() const { return page_->Macro().Events(); }
  // The list's rows must be the open macro's events, in the core's words.
  void ExpectListShowsTheEvents() {
    QTreeWidget* list = page_->eventList();
    ASSERT_EQ(list->topLevelItemCount(), static_cast<int>(Events().size()));
    for (size_t i = 0; i < Events().size(); ++i) {
      const QTreeWidgetItem* row = list->topLevelItem(static_cast<int>(i));
      EXPECT_EQ(row->text(0).toStdString(), km::MacroEventTypeText(Events()[i])) << i;
      EXPECT_EQ(row->text(1).toStdString(), km::MacroEventValueText(Events()[i])) << i;
    }
  }
  std::string StoredValue(long long macroId) {
    kz::store::Recordset rs(db_);
    EXPECT_TRUE(rs.Open("select macro_value from macro_set_detail2 where ID=?", {macroId}));
    std::string value;
    rs.GetFieldValue(0, value);
    return value;
  }
  long long StoredNumber(const char* column, long long macroId) {
    kz::store::Recordset rs(db_);
    EXPECT_TRUE(rs.Open(std::string("select ") + column + " from macro_set_detail2 where ID=?", {macroId}));
    long long value = -1;
    rs.GetFieldValue(0, value);
    return value;
  }

  km::MacroSets sets_{db_, "CommonUser"};
  long long first_ = 0, second_ = 0;
  TimePoint now_{};
  std::unique_ptr<QDialog> host_;
  CDlgMacroSet* page_ = nullptr;
  int hostReactions_ = 0;
};

TEST_F(MacroSetPageTest, FourKeyStrokesWithTheDelayToggleGiveTheirEventsAndPauses) {
  Open(first_);
  Click(CDlgMacroSet::kDelay);
  Start();
  EXPECT_EQ(page_->Button(CDlgMacroSet::kRecord)->text(), "停止录制");
  Press(Qt::Key_Shift);            // the first event: no pause before it
  Press(Qt::Key_Tab, 10);          // 10 ms: too short to record
  Release(Qt::Key_Tab, 30);        // 30 ms
  Release(Qt::Key_Shift, 25, 5000);  // the first stamped event starts on the clock: 25 ms
  Press(Qt::Key_Escape, 400, 5015);  // handled late, but it happened 15 ms later
  Release(Qt::Key_Escape, 0, 5100);  // 85 ms
  Press(Qt::Key_Return, 0, 5121);    // 21 ms: just over the threshold
  Release(Qt::Key_Return, 0, 5141);  // 20 ms: not over it
  EXPECT_EQ(Events(), (std::vector<km::MacroEvent>{{kShift, 1, 0},
                                                   {kTab, 1, 30},
                                                   {0, 0, 30},
                                                   {kTab, 0, 25},
                                                   {0, 0, 25},
                                                   {kShift, 0, 0},
                                                   {kEscape, 1, 85},
                                                   {0, 0, 85},
                                                   {kEscape, 0, 21},
                                                   {0, 0, 21},
                                                   {kEnter, 1, 0},
                                                   {kEnter, 0, 0}}));
  ExpectListShowsTheEvents();
  EXPECT_TRUE(host_->isVisible()) << "Escape did not close the dialog around the page";
  EXPECT_EQ(hostReactions_, 0) << "Enter reached neither the default button nor the shortcut";
}

TEST_F(MacroSetPageTest, HeldKeysRepeatTheirPressOnlyAndOtherKeysOrFocusRecordNothing) {
  Open(first_);
  Start();
  Press(Qt::Key_A);
  Key(QEvent::KeyRelease, Qt::Key_A, 30, 0, true);  // a window system's release before each repeat
  Key(QEvent::KeyPress, Qt::Key_A, 0, 0, true);
  Key(QEvent::KeyRelease, Qt::Key_A, 30, 0, true);
  Key(QEvent::KeyPress, Qt::Key_A, 0, 0, true);
  ASSERT_EQ(kzgui::VirtualKeyOfQtKey(Qt::Key_Launch0, Qt::NoModifier), 0);
  Press(Qt::Key_Launch0);  // a key without a virtual-key code
  Release(Qt::Key_A);
  EXPECT_EQ(Events(), (std::vector<km::MacroEvent>{{kA, 1, 0}, {kA, 1, 0}, {kA, 1, 0}, {kA, 0, 0}}));

  // Typing into the count field while recording edits the count, not the macro.
  page_->repeatCountEdit()->setFocus();
  QTest::keyClicks(page_->repeatCountEdit(), "7");
  EXPECT_EQ(Events().size(), 4u);
  Click(CDlgMacroSet::kRecord);
  EXPECT_FALSE(page_->Recording());
  page_->setFocus();
  Press(Qt::Key_A);
  EXPECT_EQ(Events().size(), 4u) << "nothing is recorded once stopped";
}

TEST_F(MacroSetPageTest, ASecondRecordingReplacesTheEvents) {
  Open(first_);
  Click(CDlgMacroSet::kDelay);
  Start();
  Press(Qt::Key_A);
  Release(Qt::Key_A, 100);
  ASSERT_EQ(Events().size(), 3u);
  Click(CDlgMacroSet::kRecord);
  EXPECT_EQ(page_->Button(CDlgMacroSet::kRecord)->text(), "开始录制");
  Start();
  EXPECT_TRUE(Events().empty());
  EXPECT_EQ(page_->eventList()->topLevelItemCount(), 0);
  Press(Qt::Key_Tab, 5000);  // the first event of the new recording: no pause however late
  EXPECT_EQ(Events(), (std::vector<km::MacroEvent>{{kTab, 1, 0}}));
  ExpectListShowsTheEvents();
}

TEST_F(MacroSetPageTest, StartWithoutAMacroAsksToPickASetFirst) {
  TipAnswers tips;
  Click(CDlgMacroSet::kRecord);
  EXPECT_EQ(tips.texts, std::vector<QString>{Utf8(km::kPickMacroSetFirst)});
  EXPECT_FALSE(page_->Recording());
  EXPECT_EQ(page_->Button(CDlgMacroSet::kRecord)->text(), "开始录制");
}

TEST_F(MacroSetPageTest, TheSixtyFirstKeyRowIsDroppedAndTheListFollowsToTheEnd) {
  Open(first_);
  Start();
  for (int i = 0; i < 61; ++i) Key(i % 2 ? QEvent::KeyRelease : QEvent::KeyPress, Qt::Key_A, 30);
  EXPECT_EQ(km::KeyEventCount(Events()), km::kMaxMacroKeyEvents);
  EXPECT_EQ(Events().back(), (km::MacroEvent{kA, 0, 0}));
  ExpectListShowsTheEvents();
  QTreeWidget* list = page_->eventList();
  const QTreeWidgetItem* last = list->topLevelItem(list->topLevelItemCount() - 1);
  EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(last))) << "the newest row is in view";
  EXPECT_GT(list->verticalScrollBar()->value(), 0);
}

TEST_F(MacroSetPageTest, AMacroOpenedWhileRecordingTakesTheLaterKeys) {
  Open(first_);
  Start();
  Press(Qt::Key_A);
  Open(second_);
  EXPECT_TRUE(page_->Recording());
  EXPECT_EQ(StoredValue(first_), "65,1,0;") << "the first macro was saved before the second opened";
  EXPECT_EQ(page_->eventList()->topLevelItemCount(), 0);
  Release(Qt::Key_A);
  EXPECT_EQ(Events(), (std::vector<km::MacroEvent>{{kA, 0, 0}}));
  ExpectListShowsTheEvents();
}

TEST_F(MacroSetPageTest, RepeatCountsOutsideOneTo255AreRefusedWithTheMessage) {
  Open(first_);
  struct Case {
    const char* typed;
    bool refused;
    const char* shown;
  } cases[] = {{"12", false, "12"}, {"0", true, "12"},   {"256", true, "12"},
               {"255", false, "255"}, {"", false, "255"}, {"1", false, "1"}};
  kzgui::kit::NumberEdit* field = page_->repeatCountEdit();
  for (const Case& c : cases) {
    TipAnswers tips;
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, c.typed);
    // The keypad's Enter: the fixture's Return shortcut would take Return from the field.
    QTest::keyClick(field, Qt::Key_Enter);
    EXPECT_EQ(tips.texts, c.refused ? std::vector<QString>{Utf8(km::kRepeatRangeMessage)} : std::vector<QString>{})
        << c.typed;
    EXPECT_EQ(field->text(), c.shown) << c.typed;
    EXPECT_EQ(page_->Macro().RepeatCount(), QString(c.shown).toInt()) << c.typed;
  }
}

TEST_F(MacroSetPageTest, ClosingThePageSavesTheRecordingAndHowOftenItPlays) {
  Open(first_);
  Click(CDlgMacroSet::kDelay);
  Click(CDlgMacroSet::kRepeat);
  kzgui::kit::NumberEdit* field = page_->repeatCountEdit();
  field->setFocus();
  field->selectAll();
  QTest::keyClicks(field, "7");
  QTest::keyClick(field, Qt::Key_Enter);
  EXPECT_EQ(page_->Macro().RepeatCount(), 7);
  Start();
  Press(Qt::Key_A);
  Release(Qt::Key_A, 50);
  Press(Qt::Key_Return, 5);
  const std::vector<km::MacroEvent> recorded = Events();
  ASSERT_EQ(recorded, (std::vector<km::MacroEvent>{{kA, 1, 50}, {0, 0, 50}, {kA, 0, 0}, {kEnter, 1, 0}}));
  EXPECT_EQ(StoredValue(first_), "") << "nothing is written while the page is open";

  host_.reset();
  EXPECT_EQ(StoredValue(first_), km::FormatMacroValue(recorded));
  EXPECT_EQ(StoredValue(first_), "65,1,50;0,0,50;65,0,0;13,1,0;");
  EXPECT_EQ(StoredNumber("macro_repeat", first_), 7);
  EXPECT_EQ(StoredNumber("repeat_sel", first_), 1);
  EXPECT_EQ(StoredValue(second_), "") << "only the open macro is written";
}

}  // namespace
