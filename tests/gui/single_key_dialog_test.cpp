// The single-key dialog: every key the keyboard sends is captured (Tab, Escape and Enter too, and
// none of them closes the dialog), a release changes nothing, and the modifier toggles follow
// their rule and make the modifiers OK hands back.
#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <string>

#include "gui/buttons/cdlg_single_key_set.h"
#include "gui/kit/read_only_edit.h"
#include "gui/kit/toggle_button.h"
#include "keys/key_codes.h"

namespace {

using kzgui::CDlgSingleKeySet;
namespace ks = kz::settings;

constexpr quint32 kScanA = KEY_A + 8;  // as the window system names the A key

void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }

class SingleKeyDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
  }
  QAbstractButton* Control(int id) { return dialog_.control(id); }
  QString Field() { return dialog_.keyField()->text(); }
  // Through the application as a real key would come: to whatever has the keyboard focus.
  void Deliver(QKeyEvent& event) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_EQ(target, &dialog_) << "the dialog lost the keyboard focus";
    QApplication::sendEvent(target, &event);
  }

  CDlgSingleKeySet dialog_;
};

TEST_F(SingleKeyDialogTest, ControlsCarryTheirCommandNumbers) {
  const struct {
    int id;
    const char* caption;
    bool toggle;
  } controls[] = {{10000, "无组合键", true}, {10001, "Shift", true}, {10002, "Control", true},
                  {10003, "WIN", true},      {10004, "ALT", true},   {10005, "确定", false},
                  {10006, "取消", false},    {10007, "×", false}};
  for (const auto& c : controls) {
    SCOPED_TRACE(c.id);
    ASSERT_NE(Control(c.id), nullptr);
    EXPECT_EQ(Control(c.id)->text(), QString::fromUtf8(c.caption));
    EXPECT_EQ(qobject_cast<kzgui::kit::ToggleButton*>(Control(c.id)) != nullptr, c.toggle);
    EXPECT_EQ(Control(c.id)->isChecked(), c.id == 10000) << "only the plain key is chosen at first";
  }
  EXPECT_EQ(Control(9999), nullptr);
  EXPECT_EQ(Control(10008), nullptr);
  EXPECT_EQ(dialog_.objectName(), "singleKeyDialog");
  EXPECT_TRUE(dialog_.keyField()->isReadOnly());
  EXPECT_EQ(Field(), "");
  EXPECT_EQ(dialog_.Key(), 0);
}

TEST_F(SingleKeyDialogTest, ThePlainKeyToggleAndTheModifiersExcludeEachOther) {
  struct Step {
    int click;
    const char* after;  // checked state of 10000, Shift, Control, WIN, ALT
  } steps[] = {
      {10001, "01000"},  // a modifier ends the plain key
      {10002, "01100"}, {10004, "01101"},
      {10000, "10000"},  // the plain key clears every modifier
      {10003, "00010"},
      {10003, "00000"},  // turning a modifier off does not bring the plain key back
      {10000, "10000"},
      {10000, "00000"},  // the plain key is a toggle of its own
      {10001, "01000"}, {10004, "01001"}, {10002, "01101"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.click);
    Click(Control(step.click));
    std::string state;
    for (int id = 10000; id <= 10004; ++id) state += Control(id)->isChecked() ? '1' : '0';
    EXPECT_EQ(state, step.after);
  }
  EXPECT_EQ(dialog_.Modifiers(), 0) << "the modifiers are made by OK";
  QTest::keyClick(&dialog_, Qt::Key_C);
  Click(Control(CDlgSingleKeySet::kOk));
  EXPECT_EQ(dialog_.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(dialog_.Key(), 0x43);
  EXPECT_EQ(dialog_.Modifiers(), ks::kModShift | ks::kModControl | ks::kModAlt);
}

TEST_F(SingleKeyDialogTest, ModifiersHeldWithAKeyTurnTheirTogglesOn) {
  const auto state = [this] {
    std::string s;
    for (int id = 10000; id <= 10004; ++id) s += Control(id)->isChecked() ? '1' : '0';
    return s;
  };
  struct Step {
    const char* what;
    int qtKey;
    Qt::KeyboardModifiers held;
    const char* after;  // checked state of 10000, Shift, Control, WIN, ALT
  } steps[] = {
      {"Shift alone is the key, not a modifier", Qt::Key_Shift, Qt::ShiftModifier, "10000"},
      {"A with Shift held", Qt::Key_A, Qt::ShiftModifier, "01000"},
      {"a key without modifiers keeps the toggles", Qt::Key_B, Qt::NoModifier, "01000"},
      {"more modifiers add to them", Qt::Key_C, Qt::ControlModifier | Qt::AltModifier, "01101"},
      {"WIN is the Meta modifier", Qt::Key_D, Qt::MetaModifier, "01111"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    QKeyEvent event(QEvent::KeyPress, step.qtKey, step.held);
    Deliver(event);
    EXPECT_EQ(state(), step.after);
  }
  Click(Control(10000));
  QKeyEvent shiftA(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier);
  Deliver(shiftA);
  Click(Control(CDlgSingleKeySet::kOk));
  EXPECT_EQ(dialog_.Key(), 0x41);
  EXPECT_EQ(dialog_.Modifiers(), ks::kModShift);
}

TEST_F(SingleKeyDialogTest, EveryKeyPressIsCapturedAndNoneClosesTheDialog) {
  struct Step {
    const char* what;
    QEvent::Type type;
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    quint32 scanCode;
    bool repeat;
    int virtualKey;  // what the dialog holds afterwards
    const char* field;
  } steps[] = {
      {"Shift alone", QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, 0, false, 0xA0, "LeftShift"},
      {"A with Shift held, by its scan code", QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, kScanA, false, 0x41, "A"},
      {"releasing Shift", QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier, 0, false, 0x41, "A"},
      {"the A key under another layout", QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, kScanA, false, 0x41, "A"},
      {"Tab", QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, 0, false, 0x09, "Tab"},
      {"Escape", QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, 0, false, 0x1B, "ESC"},
      {"Enter", QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, 0, false, 0x0D, "ENTER"},
      {"number pad Enter", QEvent::KeyPress, Qt::Key_Enter, Qt::KeypadModifier, 0, false, 0x0D, "ENTER"},
      {"Control", QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, 0, false, 0xA2, "LeftControl"},
      {"a held key repeats", QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier, 0, true, 0x74, "F5"},
      {"releasing another key", QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, 0, false, 0x74, "F5"},
      {"a key the mouse has no code for", QEvent::KeyPress, Qt::Key_F13, Qt::NoModifier, 0, false, 0x7C,
       "unknown key"},
      {"a key the program does not know", QEvent::KeyPress, Qt::Key_Launch0, Qt::NoModifier, 0, false, 0, ""},
      {"Alt", QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier, 0, false, 0xA4, "LeftAlt"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    QKeyEvent event(step.type, step.qtKey, step.modifiers, step.scanCode, 0, 0, QString(), step.repeat);
    Deliver(event);
    EXPECT_TRUE(event.isAccepted());
    EXPECT_EQ(dialog_.Key(), step.virtualKey);
    EXPECT_EQ(Field(), QString::fromUtf8(step.field));
    EXPECT_TRUE(dialog_.isVisible());
  }
}

TEST_F(SingleKeyDialogTest, KeysThroughTheWindowSystemReachTheCaptureToo) {
  // Through the window as the platform hands keys over, with its shortcut and focus handling.
  const struct {
    Qt::Key key;
    int virtualKey;
  } keys[] = {{Qt::Key_Escape, 0x1B}, {Qt::Key_Tab, 0x09}, {Qt::Key_Return, 0x0D}, {Qt::Key_Z, 0x5A}};
  for (const auto& k : keys) {
    QTest::keyClick(dialog_.windowHandle(), k.key);
    EXPECT_EQ(dialog_.Key(), k.virtualKey) << k.key;
    EXPECT_TRUE(dialog_.isVisible()) << k.key;
  }
}

TEST_F(SingleKeyDialogTest, CancelAndCloseReject) {
  for (int id : {CDlgSingleKeySet::kCancel, CDlgSingleKeySet::kClose}) {
    SCOPED_TRACE(id);
    dialog_.show();
    QTest::keyClick(&dialog_, Qt::Key_A);
    Click(Control(CDlgSingleKeySet::kShift));
    Click(Control(id));
    EXPECT_EQ(dialog_.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_EQ(dialog_.Modifiers(), 0);
  }
}

}  // namespace
