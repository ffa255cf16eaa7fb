// The message tip's answers: OK, close, a second request while open, closing it from elsewhere,
// and losing its parent while open. Actions run from inside the tip's own modal loop.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "gui/kit/cdlg_base.h"
#include "gui/kit/cdlg_tip.h"
#include "gui/kit/skin_button.h"

namespace {

using kzgui::kit::CDlgBase;
using kzgui::kit::CDlgTIp;

// Runs `action` once the tip opened by the next Show() is in its modal loop.
void WhenOpen(std::function<void(CDlgTIp&)> action) {
  QTimer::singleShot(0, [action] {
    CDlgTIp* tip = CDlgTIp::Current();
    ASSERT_NE(tip, nullptr);
    ASSERT_TRUE(tip->isVisible());
    action(*tip);
  });
}

TEST(MessageTipTest, AnswersOkWithOneAndCloseWithTwo) {
  struct Case {
    const char* name;
    std::function<void(CDlgTIp&)> answer;
    int result;
  } cases[] = {
      {"ok button", [](CDlgTIp& t) { QTest::mouseClick(t.okButton(), Qt::LeftButton); }, 1},
      {"close button", [](CDlgTIp& t) { QTest::mouseClick(t.closeButton(), Qt::LeftButton); }, 2},
      {"escape", [](CDlgTIp& t) { QTest::keyClick(&t, Qt::Key_Escape); }, 2},
  };
  for (const Case& c : cases) {
    QString shown;
    WhenOpen([&](CDlgTIp& tip) {
      shown = tip.text();
      c.answer(tip);
    });
    EXPECT_EQ(CDlgTIp::Show(nullptr, QStringLiteral("确认恢复出厂设置吗？")), c.result) << c.name;
    EXPECT_EQ(shown, QStringLiteral("确认恢复出厂设置吗？")) << c.name;
    EXPECT_EQ(CDlgTIp::Current(), nullptr) << c.name;
  }
}

TEST(MessageTipTest, SecondRequestReplacesTheTextAndReturnsZero) {
  int second = -1;
  QString textAfter;
  WhenOpen([&](CDlgTIp& tip) {
    second = CDlgTIp::Show(nullptr, QStringLiteral("成功！"));
    textAfter = tip.text();
    EXPECT_EQ(CDlgTIp::Current(), &tip);  // still the one tip, not a second window
    QTest::mouseClick(tip.okButton(), Qt::LeftButton);
  });
  EXPECT_EQ(CDlgTIp::Show(nullptr, QStringLiteral("失败，设备可能未接入电脑!")), 1);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(textAfter, QStringLiteral("成功！"));
  // With the tip gone, the next request opens a tip of its own again.
  WhenOpen([](CDlgTIp& tip) { QTest::mouseClick(tip.closeButton(), Qt::LeftButton); });
  EXPECT_EQ(CDlgTIp::Show(nullptr, QStringLiteral("x")), 2);
}

TEST(MessageTipTest, PagesOpenAndCloseTheTipAsIfOkWerePressed) {
  CDlgBase page;
  bool closed = false;
  WhenOpen([&](CDlgTIp&) { closed = CDlgTIp::CloseOpen(); });
  EXPECT_EQ(page.MessageTip(QStringLiteral("确认恢复出厂设置吗？")), 1);
  EXPECT_TRUE(closed);

  WhenOpen([&](CDlgTIp&) {
    EXPECT_EQ(page.MessageTip(QStringLiteral("again")), 0);
    page.CloseTip();
  });
  EXPECT_EQ(page.MessageTip(QStringLiteral("first")), 1);

  EXPECT_FALSE(CDlgTIp::CloseOpen());  // nothing open: nothing to close
  EXPECT_EQ(CDlgTIp::Current(), nullptr);
}

TEST(MessageTipTest, TipDestroyedWithItsParentIsNotAnOk) {
  auto* parent = new QWidget;
  parent->show();
  WhenOpen([&](CDlgTIp&) { delete parent; });
  EXPECT_EQ(CDlgTIp::Show(parent, QStringLiteral("确认恢复出厂设置吗？")), 0);
  EXPECT_EQ(CDlgTIp::Current(), nullptr);
}

}  // namespace
