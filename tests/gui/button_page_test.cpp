// The button page as a binding: a button's menu lists the current user's macro sets and macros,
// each choice reaches the model for that button only, and afterwards the buttons show the model's
// captions; nothing a choice does is stored or sent. The click path (button pressed, menu, then
// the single-key dialog) runs through the real menu and dialog.
#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/buttons/button_mouse_view.h"
#include "gui/buttons/cdlg_button.h"
#include "gui/buttons/cdlg_single_key_set.h"
#include "gui/buttons/mouse_key_btn.h"
#include "macro/macro_sets.h"
#include "page_fixture.h"
#include "settings/button_commands.h"

namespace {

namespace ks = kz::settings;
using kz::macro::MacroSets;
using kzgui::CDlgButton;
using kzgui::CDlgSingleKeySet;
using KeyChoice = CDlgButton::KeyChoice;

constexpr int kVkA = 0x41, kVkB = 0x42;

void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }

// Runs `act` on the first open widget `find` returns, polling from the event loop that a click's
// menu or dialog runs; fails the test when none opens.
void WhenOpen(std::function<QWidget*()> find, std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, tries, find, act] {
    if (QWidget* open = find()) {
      timer->stop();
      timer->deleteLater();
      act(open);
    } else if (++*tries > 500) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "nothing opened";
    }
  });
  timer->start(5);
}
void WhenMenuOpens(std::function<void(QMenu*)> act) {
  WhenOpen([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
           [act](QWidget* menu) { act(static_cast<QMenu*>(menu)); });
}
void WhenDialogOpens(std::function<void(CDlgSingleKeySet*)> act) {
  WhenOpen([] { return qobject_cast<CDlgSingleKeySet*>(QApplication::activeModalWidget()); },
           [act](QWidget* dialog) { act(static_cast<CDlgSingleKeySet*>(dialog)); });
}

QAction* FindCommand(QMenu* menu, long long command) {
  for (QAction* action : menu->actions()) {
    if (action->menu())
      if (QAction* inner = FindCommand(action->menu(), command)) return inner;
    if (!action->isSeparator() && action->data().toLongLong() == command && !action->menu()) return action;
  }
  return nullptr;
}

// The menu as lines: "text command", "---" for a separator, "text >" for a submenu whose items
// follow indented.
void Dump(QMenu* menu, const std::string& indent, std::vector<std::string>& lines) {
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) {
      lines.push_back(indent + "---");
    } else if (action->menu()) {
      lines.push_back(indent + action->text().toStdString() + " >");
      Dump(action->menu(), indent + "  ", lines);
    } else {
      lines.push_back(indent + action->text().toStdString() + " " + std::to_string(action->data().toLongLong()));
    }
  }
}
std::vector<std::string> Dump(QMenu* menu) {
  std::vector<std::string> lines;
  Dump(menu, "", lines);
  return lines;
}

class ButtonPageTest : public kztest::PageFixture<CDlgButton> {
 protected:
  ButtonPageTest() : PageFixture(1) {}

  void SetUp() override {
    PageFixture::SetUp();
    // Set A holds two macros, made in the order opposite to their names; set B is empty; another
    // user's set must not show.
    MacroSets mine(db_, "CommonUser");
    ASSERT_EQ(mine.CreateSet("Set A"), kz::macro::NameResult::kAdded);
    setA_ = mine.CurrentSetId();
    ASSERT_EQ(mine.CreateMacro("Zeta", &zeta_), kz::macro::NameResult::kAdded);
    ASSERT_EQ(mine.CreateMacro("Copy & Paste", &copy_), kz::macro::NameResult::kAdded);
    ASSERT_EQ(mine.CreateSet("Set B"), kz::macro::NameResult::kAdded);
    setB_ = mine.CurrentSetId();
    MacroSets theirs(db_, "Other");
    ASSERT_EQ(theirs.CreateSet("Foreign"), kz::macro::NameResult::kAdded);
    ASSERT_EQ(theirs.CreateMacro("Theirs", &foreign_), kz::macro::NameResult::kAdded);
  }

  std::unique_ptr<CDlgButton> MakePage() override {
    return std::make_unique<CDlgButton>(KeepModel<ks::ButtonModel>(db_, link_.Link()), KeySource(), db_);
  }
  ks::ButtonModel& Model() { return page_->model(); }
  std::string Caption(int number) { return page_->button(number)->text().toStdString(); }
  // The asker stands in for the dialog and notes which buttons it was asked for.
  void Answer(std::optional<KeyChoice> choice) {
    page_->setSingleKeyAsker([this, choice](int number) {
      asked_.push_back(number);
      return choice;
    });
  }
  std::vector<std::string> Captions() {
    std::vector<std::string> captions;
    for (int number = 1; number <= ks::kButtonCount; ++number) captions.push_back(Caption(number));
    return captions;
  }
  static std::vector<std::string> FactoryCaptions() {
    std::vector<std::string> captions;
    for (const ks::ButtonDefault& d : ks::kButtonDefaults) captions.emplace_back(d.caption);
    return captions;
  }

  long long setA_ = 0, setB_ = 0, zeta_ = 0, copy_ = 0, foreign_ = 0;
  std::vector<int> asked_;
};

TEST_F(ButtonPageTest, ElevenNamedButtonsAroundThePicture) {
  EXPECT_EQ(page_->size(), QSize(834, 520));
  const QRect picture = page_->mouseView()->geometry();
  for (int number = 1; number <= ks::kButtonCount; ++number) {
    SCOPED_TRACE(number);
    kzgui::MouseKeyBtn* button = page_->findChild<kzgui::MouseKeyBtn*>("mouseKeyButton" + QString::number(number));
    ASSERT_EQ(button, page_->button(number));
    EXPECT_EQ(button->number(), number);
    EXPECT_EQ(button->command(), 2999 + number);
    EXPECT_EQ(button->isEnabled(), number >= 3);
    EXPECT_TRUE(page_->rect().contains(button->geometry()));
    EXPECT_TRUE(button->geometry().right() < picture.left() || button->geometry().left() > picture.right())
        << "a button covers the picture";
  }
  EXPECT_EQ(Captions(), FactoryCaptions());
}

TEST_F(ButtonPageTest, EachKindOfAssignmentShowsItsCaptionOnItsButtonOnly) {
  struct Step {
    const char* what;
    int number;
    long long command;
    std::optional<KeyChoice> answer;
    const char* caption;
  } steps[] = {
      {"plain key", 7, CDlgButton::kSingleKey, KeyChoice{kVkA, 0}, "A"},
      {"key with modifiers", 5, CDlgButton::kSingleKey, KeyChoice{kVkB, ks::kModControl | ks::kModAlt},
       "Control_ALT_B"},
      {"macro", 3, CDlgButton::kAssignMacro + zeta_, std::nullopt, "Zeta"},
      {"key over a macro", 3, CDlgButton::kSingleKey, KeyChoice{kVkB, ks::kModShift}, "Shift_B"},
      {"macro over a key", 7, CDlgButton::kAssignMacro + copy_, std::nullopt, "Copy & Paste"},
      {"default again", 5, CDlgButton::kRestoreDefault, std::nullopt, "前进方向键"},
  };
  std::vector<std::string> expected = FactoryCaptions();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    Answer(step.answer);
    EXPECT_TRUE(page_->RunMenuCommand(step.number, step.command));
    expected[static_cast<size_t>(step.number - 1)] = step.caption;
    EXPECT_EQ(Captions(), expected);
    EXPECT_EQ(Model().Caption(step.number), step.caption);
  }
  EXPECT_EQ(Model().Slot(3), (ks::ButtonSlot{kVkB, ks::kModShift, ""}));

  // A macro renamed in the manager shows under its new name once the page hears of it.
  ASSERT_TRUE(db_.Execute("update macro_set_detail2 set macro_name='Copied' where ID=?", {copy_}));
  page_->MacrosChanged();
  EXPECT_EQ(Caption(7), "Copied");

  // Choices only change the page's model.
  EXPECT_TRUE(link_.sent.empty());
  EXPECT_EQ(Main2RowCount(), 0);
}

TEST_F(ButtonPageTest, TheLeftAndRightButtonsOfferNothingAndKeepTheirFunctions) {
  Answer(KeyChoice{kVkA, 0});
  QSignalSpy manager(page_.get(), &CDlgButton::openMacroManager);
  for (int number : {1, 2}) {
    SCOPED_TRACE(number);
    EXPECT_EQ(page_->BuildMenu(number), nullptr);
    for (long long command : {CDlgButton::kRestoreDefault, CDlgButton::kSingleKey, CDlgButton::kCreateMacroSet,
                              CDlgButton::kEditMacroSet + setA_, CDlgButton::kAssignMacro + zeta_})
      EXPECT_FALSE(page_->RunMenuCommand(number, command)) << command;
    Click(page_->button(number));  // disabled: no menu, so nothing waits here
    EXPECT_EQ(page_->pressedButton(), 0);
    EXPECT_EQ(Model().Slot(number), ks::ButtonSlot{});
  }
  EXPECT_TRUE(asked_.empty()) << "no key is asked for a button that cannot take it";
  EXPECT_EQ(manager.count(), 0);
  EXPECT_EQ(Captions(), FactoryCaptions());
}

TEST_F(ButtonPageTest, TheMenuListsTheUsersSetsAndTheirMacrosInTableOrder) {
  std::unique_ptr<QMenu> menu(page_->BuildMenu(4));
  ASSERT_NE(menu, nullptr);
  const std::string a = std::to_string(setA_), b = std::to_string(setB_);
  EXPECT_EQ(Dump(menu.get()), (std::vector<std::string>{
                                  "恢复默认 99",
                                  "单键设定 100",
                                  "---",
                                  "宏定义集 >",
                                  "  创建宏定义集... 101",
                                  "  ---",
                                  "  Set A >",
                                  "    编辑... " + std::to_string(10000 + setA_),
                                  "    ---",
                                  "    Zeta " + std::to_string(50000 + zeta_),
                                  // An ampersand shows as itself, not as a shortcut mark.
                                  "    Copy && Paste " + std::to_string(50000 + copy_),
                                  "  Set B >",
                                  "    编辑... " + std::to_string(10000 + setB_),
                              }));

  // A user without sets gets no separator under the create item.
  ASSERT_TRUE(db_.Execute("delete from macro_set2 where user_name='CommonUser'"));
  menu.reset(page_->BuildMenu(4));
  EXPECT_EQ(Dump(menu.get()), (std::vector<std::string>{"恢复默认 99", "单键设定 100", "---", "宏定义集 >",
                                                        "  创建宏定义集... 101"}));
}

TEST_F(ButtonPageTest, MacroManagerCommandsAskTheWindowAndChangeNothing) {
  QSignalSpy manager(page_.get(), &CDlgButton::openMacroManager);
  EXPECT_TRUE(page_->RunMenuCommand(6, CDlgButton::kCreateMacroSet));
  EXPECT_TRUE(page_->RunMenuCommand(6, CDlgButton::kEditMacroSet + setB_));
  ASSERT_EQ(manager.count(), 2);
  EXPECT_EQ(manager.at(0).at(0).toLongLong(), 0);
  EXPECT_EQ(manager.at(1).at(0).toLongLong(), setB_);
  EXPECT_EQ(Model().Slot(6), ks::ButtonSlot{});

  // Commands that cannot be carried out leave the button as it was.
  ASSERT_TRUE(page_->RunMenuCommand(6, CDlgButton::kAssignMacro + zeta_));
  EXPECT_FALSE(page_->RunMenuCommand(6, CDlgButton::kAssignMacro + zeta_ + copy_ + foreign_ + 100)) << "no such macro";
  EXPECT_FALSE(page_->RunMenuCommand(6, 12)) << "no such command";
  EXPECT_EQ(Caption(6), "Zeta");
}

TEST_F(ButtonPageTest, AKeyTheMouseHasNoCodeForOrACancelLeavesTheSlot) {
  Answer(KeyChoice{kVkB, 0});
  ASSERT_TRUE(page_->RunMenuCommand(6, CDlgButton::kSingleKey));
  const ks::ButtonSlot before = Model().Slot(6);
  const struct {
    const char* what;
    std::optional<KeyChoice> answer;
  } cases[] = {
      {"cancelled", std::nullopt},
      {"no key", KeyChoice{0, 0}},
      {"undefined virtual key", KeyChoice{0x07, ks::kModShift}},
      {"F13", KeyChoice{0x7C, 0}},
      {"the generic Alt", KeyChoice{0x12, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Answer(c.answer);
    EXPECT_FALSE(page_->RunMenuCommand(6, CDlgButton::kSingleKey));
    EXPECT_EQ(Model().Slot(6), before);
    EXPECT_EQ(Caption(6), "B");
  }
  EXPECT_EQ(asked_, std::vector<int>(6, 6)) << "the assignment of B and each case asked for button 6";
}

TEST_F(ButtonPageTest, ShiftAOnButtonFiveThroughTheMenuAndTheDialog) {
  bool highlightedWhileOpen = false;
  int markedWhileOpen = 0;
  QPoint menuAt;
  WhenMenuOpens([&](QMenu* menu) {
    highlightedWhileOpen = page_->button(5)->isHighlighted();
    markedWhileOpen = page_->mouseView()->marked();
    menuAt = menu->pos();
    WhenDialogOpens([](CDlgSingleKeySet* dialog) {
      // The user holds Shift and presses A, which turns the Shift toggle on.
      QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, KEY_LEFTSHIFT + 8, 0, 0);
      QApplication::sendEvent(dialog, &shift);
      QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, KEY_A + 8, 0, 0);
      QApplication::sendEvent(dialog, &a);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::ShiftModifier, KEY_A + 8, 0, 0);
      QApplication::sendEvent(dialog, &release);
      Click(dialog->control(CDlgSingleKeySet::kOk));
    });
    menu->setActiveAction(FindCommand(menu, CDlgButton::kSingleKey));
    QTest::keyClick(menu, Qt::Key_Return);
  });
  Click(page_->button(5));

  EXPECT_TRUE(highlightedWhileOpen);
  EXPECT_EQ(markedWhileOpen, 5);
  kzgui::MouseKeyBtn* five = page_->button(5);
  EXPECT_EQ(menuAt, five->mapToGlobal(QPoint(25, five->height())));
  EXPECT_FALSE(five->isHighlighted()) << "released when the menu closed";
  EXPECT_EQ(page_->pressedButton(), 0);

  const ks::ButtonSlot& slot = Model().Slot(5);
  EXPECT_EQ(slot, (ks::ButtonSlot{kVkA, ks::kModShift, ""}));
  EXPECT_EQ(Caption(5), "Shift_A");
  EXPECT_EQ(ks::KeyComboMacro(slot, 5), "03 14 06 00 81 e1 00 00 81 04 00 00 82 e1 00 00 82 04 00 00 58");
  EXPECT_EQ(ks::ButtonMapCommand(Model().Slots()), "03 11 00 F1 F2 F3 FE FF F5 28 F6 F7 F8 F9 ");
  EXPECT_TRUE(link_.sent.empty());
}

TEST_F(ButtonPageTest, TheClickedMenuRunsItsChoiceOnlyAfterClosing) {
  ASSERT_TRUE(page_->RunMenuCommand(8, CDlgButton::kAssignMacro + zeta_));
  struct Case {
    const char* what;
    std::function<void(QMenu*)> choose;
    const char* caption;
  } cases[] = {
      {"closed without a choice", [](QMenu* menu) { QTest::keyClick(menu, Qt::Key_Escape); }, "Zeta"},
      {"a macro deep in a submenu",
       [&](QMenu* menu) {
         FindCommand(menu, CDlgButton::kAssignMacro + copy_)->trigger();
         menu->hide();
       },
       "Copy & Paste"},
      {"restore by keyboard",
       [](QMenu* menu) {
         menu->setActiveAction(FindCommand(menu, CDlgButton::kRestoreDefault));
         QTest::keyClick(menu, Qt::Key_Return);
       },
       "滚轴键向前"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool changedWhileOpen = true;
    WhenMenuOpens([&](QMenu* menu) {
      const std::string before = Caption(8);
      c.choose(menu);
      changedWhileOpen = Caption(8) != before;
    });
    Click(page_->button(8));
    EXPECT_FALSE(changedWhileOpen);
    EXPECT_EQ(Caption(8), c.caption);
    EXPECT_FALSE(page_->button(8)->isHighlighted());
    EXPECT_EQ(page_->pressedButton(), 0);
  }
  EXPECT_TRUE(asked_.empty());
}

TEST_F(ButtonPageTest, ThePictureMarksTheHoveredButtonUnlessOneIsPressed) {
  auto enter = [&](int number) {
    QEnterEvent event(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QApplication::sendEvent(page_->button(number), &event);
  };
  auto leave = [&](int number) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(page_->button(number), &event);
  };
  kzgui::ButtonMouseView* view = page_->mouseView();
  EXPECT_EQ(view->marked(), 0);
  enter(7);
  EXPECT_EQ(view->marked(), 7);
  leave(7);
  EXPECT_EQ(view->marked(), 0);
  enter(3);
  enter(11);  // entering the next before leaving the last
  leave(3);
  EXPECT_EQ(view->marked(), 11);
  leave(11);

  int markedAfterHover = -1;
  WhenMenuOpens([&](QMenu* menu) {
    enter(9);
    markedAfterHover = view->marked();
    menu->hide();
  });
  Click(page_->button(4));
  EXPECT_EQ(markedAfterHover, 4) << "the pressed button stays marked";
  EXPECT_EQ(view->marked(), 9) << "the hover shows again once the menu closed";
}

TEST(ButtonMouseView, EachButtonHasItsOwnSpotThatMarkingLightsUp) {
  kzgui::ButtonMouseView view;
  view.resize(338, 480);
  const QImage plain = view.grab().toImage();
  for (int number = 1; number <= kzgui::ButtonMouseView::kButtons; ++number) {
    SCOPED_TRACE(number);
    const QRectF spot = view.spotRect(number);
    ASSERT_FALSE(spot.isEmpty());
    EXPECT_TRUE(QRectF(view.rect()).contains(spot));
    for (int other = number + 1; other <= kzgui::ButtonMouseView::kButtons; ++other)
      EXPECT_FALSE(spot.intersects(view.spotRect(other))) << "overlaps " << other;
    view.setMarked(number);
    EXPECT_EQ(view.marked(), number);
    const QImage marked = view.grab().toImage();
    const QPoint centre = spot.center().toPoint();
    EXPECT_NE(marked.pixel(centre), plain.pixel(centre));
  }
  view.setMarked(12);
  EXPECT_EQ(view.marked(), 0);
  EXPECT_TRUE(view.spotRect(0).isEmpty());
  EXPECT_EQ(view.grab().toImage(), plain);
}

}  // namespace
