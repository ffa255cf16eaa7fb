// The main window over a temporary database and the in-process simulated mouse: tabs, apply,
// factory reset, profiles and the status report's way from the reader thread to the pages.
#include <gtest/gtest.h>

#include <algorithm>

#include <QSignalSpy>
#include <QTimer>
#include <QtTest/QTest>

#include "base/log.h"
#include "base/paths.h"
#include "device/hidm.h"
#include "device/sim_mouse.h"
#include "gui/app/cdlg_main.h"
#include "gui/app/main_window_host.h"
#include "gui/kit/cdlg_tip.h"
#include "gui/kit/skin_button.h"
#include "gui/settings/cdlg_light.h"
#include "gui/settings/cdlg_msetting.h"
#include "settings/pointer_settings.h"
#include "store/schema.h"
#include "store/users.h"
#include "support/test_support.h"
#include "gui/window_fixture.h"

namespace {

using kzgui::CDlgMain;
using kzgui::kit::CDlgTIp;

struct MainWindowFixture : kztest::WindowFixture {
  // Runs a command that ends in a message tip (at once, or once the mouse has answered); answers
  // the tip with OK and returns its text after the mouse has got everything the command sent.
  QString RunAnsweringTip(int command) {
    QString text;
    bool answered = false;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
      if (CDlgTIp* tip = CDlgTIp::Current(); tip && !answered) {
        text = tip->text();
        answered = true;
        CDlgTIp::CloseOpen();
      }
    });
    answer.start();
    window->RunCommand(command);
    EXPECT_TRUE(QTest::qWaitFor([&] { return answered; }, 5000)) << "no tip after command " << command;
    WaitForMouse();
    return text;
  }

  std::vector<int> VisiblePages() const {
    std::vector<int> shown;
    for (int slot = 0; slot < CDlgMain::kSlotCount; ++slot)
      if (window->Page(slot) && !window->Page(slot)->isHidden()) shown.push_back(slot);
    return shown;
  }
};

TEST_F(MainWindowFixture, FrameButtonsAndPanelsSitWhereTheLayoutSays) {
  Open();
  EXPECT_EQ(window->size(), QSize(1024, 768));
  EXPECT_EQ(window->windowTitle(), "KZ Mouse");
  EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(window->Button(2000)->geometry(), QRect(942, 7, 22, 22));
  EXPECT_EQ(window->Button(2008)->geometry(), QRect(46, 391, 100, 33));
  EXPECT_EQ(window->Button(2015)->geometry(), QRect(46, 686, 100, 30));
  for (int slot : {0, 1, 2, 3, 4, 5}) EXPECT_EQ(window->Page(slot)->geometry(), QRect(148, 187, 834, 520)) << slot;
  for (int slot : {6, 7, 8, 9}) EXPECT_EQ(window->Page(slot), nullptr);
  EXPECT_EQ(window->LoginPanel()->geometry(), QRect(675, 54, 318, 81));
  EXPECT_TRUE(VisiblePages().empty()) << "the first page comes with the half-second timer";
  EXPECT_TRUE(window->Button(2011)->isHighlighted()) << "profile 1 of a fresh user";
}

TEST_F(MainWindowFixture, NoPanelOrPageCoversAButton) {
  Open();
  window->RunCommand(2002);
  window->LoginPanel()->show();
  window->LoggedInPanel()->show();
  for (int id = 2000; id <= 2015; ++id) {
    QWidget* button = window->Button(id);
    for (QPoint corner : {button->geometry().topLeft() + QPoint(2, 2), button->geometry().bottomRight() - QPoint(2, 2)})
      EXPECT_EQ(window->childAt(corner), button) << id;
  }
}

TEST_F(MainWindowFixture, TabsShowExactlyOnePageAndTheHighlightedTabDoesNothing) {
  Open();
  EXPECT_TRUE(QTest::qWaitFor([&] { return VisiblePages() == std::vector<int>{0}; }, 3000));
  EXPECT_TRUE(window->LoginPanel()->isVisible());
  for (int tab : {2004, 2003, 2006, 2005, 2002}) {
    QTest::mouseClick(window->Button(tab), Qt::LeftButton);
    EXPECT_EQ(VisiblePages(), std::vector<int>{tab - 2002});
    EXPECT_EQ(window->CurrentPage(), tab - 2002);
    for (int other = 2002; other <= 2006; ++other) EXPECT_EQ(window->Button(other)->isHighlighted(), other == tab);
  }
  // Pressing the highlighted tab again must not re-show anything: hide its page and press.
  window->Page(0)->hide();
  QTest::mouseClick(window->Button(2002), Qt::LeftButton);
  EXPECT_TRUE(window->Page(0)->isHidden());
}

TEST_F(MainWindowFixture, ApplyWritesTheShownPageAndReportsTheOutcome) {
  Open();
  window->RunCommand(2002);
  Settings().model().SetLevelValue(1, 1000);
  mouse->ClearTrace();
  EXPECT_EQ(RunAnsweringTip(2008), "成功！");
  EXPECT_EQ(mouse->Trace(), (std::vector<std::string>{"03 10 04 01 20 14 80 A4", "03 12 00 00 10 01 01 00 00 00 00"}));
  // Apply saved every page first.
  kz::store::Recordset row(Db());
  ASSERT_TRUE(kz::store::OpenProfileRow(row, 1, "CommonUser"));
  ASSERT_EQ(row.GetRecordCount(), 1);
  int dpi2 = 0, light1On = -1;
  row.GetFieldValue("dpi_2", dpi2);
  row.GetFieldValue("light1_on", light1On);
  EXPECT_EQ(dpi2, 1000);
  EXPECT_EQ(light1On, 1);
  EXPECT_TRUE(window->UploadRequestEvent().IsSet());
  EXPECT_TRUE(window->UserActionEvent().IsSet());

  mouse->SetRefuseWrites(true);
  mouse->ClearTrace();
  EXPECT_EQ(RunAnsweringTip(2008), "失败，设备可能未接入电脑!");

  // A page without device settings writes nothing and still succeeds.
  mouse->SetRefuseWrites(false);
  window->RunCommand(2005);
  mouse->ClearTrace();
  EXPECT_EQ(RunAnsweringTip(2008), "成功！");
  EXPECT_TRUE(mouse->Trace().empty());
}

TEST_F(MainWindowFixture, FactoryResetStoresAndSendsDefaultsAndStopsQuietlyOnRefusal) {
  Open();
  Settings().model().SetLevelValue(0, 5000);
  Lights().model().ToggleOn();
  window->SaveToStore();
  mouse->ClearTrace();
  EXPECT_EQ(RunAnsweringTip(2007), "确认恢复出厂设置吗？");
  EXPECT_EQ(mouse->Trace(), (std::vector<std::string>{"03 10 04 01 20 40 80 A4", "03 12 00 00 10 01 01 00 00 00 00",
                                                     "03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9",
                                                     "03 09 11 00 FF 91 00 FF 91 00 00"}));
  EXPECT_TRUE(Logged("Start Write Data "));
  EXPECT_TRUE(Logged("Write Data Complete"));
  kz::store::Recordset row(Db());
  ASSERT_TRUE(kz::store::OpenProfileRow(row, 1, "CommonUser"));
  int dpi1 = 0;
  row.GetFieldValue("dpi_1", dpi1);
  EXPECT_EQ(dpi1, 1600);

  // Unplugged: the defaults are still shown and stored, the first write fails, nothing else.
  Settings().model().SetLevelValue(0, 5000);
  window->SaveToStore();
  mouse->Unplug();
  ::unlink((xdg.root().path() + "kz_log.txt").c_str());
  QString shownTip = "none";
  QTimer::singleShot(0, [&] {
    shownTip = CDlgTIp::Current() ? CDlgTIp::Current()->text() : "none";
    CDlgTIp::CloseOpen();
  });
  window->RunCommand(2007);
  WaitForMouse();
  EXPECT_EQ(shownTip, "确认恢复出厂设置吗？") << "only the confirmation, no failure message";
  EXPECT_EQ(Settings().model().Settings().levels[0].value, 1600);
  EXPECT_TRUE(Logged("Start Write Data "));
  EXPECT_FALSE(Logged("Write Data Complete"));
  ASSERT_TRUE(kz::store::OpenProfileRow(row, 1, "CommonUser"));
  row.GetFieldValue("dpi_1", dpi1);
  EXPECT_EQ(dpi1, 1600);
}

TEST_F(MainWindowFixture, DeclinedFactoryResetChangesNothing) {
  Open();
  Settings().model().SetLevelValue(0, 5000);
  mouse->ClearTrace();
  QTimer::singleShot(0, [] { CDlgTIp::Current()->reject(); });
  window->RunCommand(2007);
  WaitForMouse();
  EXPECT_EQ(Settings().model().Settings().levels[0].value, 5000);
  EXPECT_TRUE(mouse->Trace().empty());
}

TEST_F(MainWindowFixture, ProfilesLoadTheirRowOrShowDefaultsWithoutWriting) {
  Open();
  Settings().model().SetLevelValue(0, 400);
  window->SaveToStore();  // profile 1 row
  Profiles().SetActiveProfile(2);
  Settings().model().SetLevelValue(0, 2400);
  window->SaveToStore();  // profile 2 row
  auto rows = [this] {
    kz::store::Recordset rs(Db());
    rs.Open("select count(*) from main2");
    int n = 0;
    rs.GetFieldValue(0, n);
    return n;
  };
  ASSERT_EQ(rows(), 2);

  QTest::mouseClick(window->Button(2011), Qt::LeftButton);
  EXPECT_EQ(Profiles().ActiveProfile(), 1);
  EXPECT_EQ(Settings().model().Settings().levels[0].value, 400);
  QTest::mouseClick(window->Button(2012), Qt::LeftButton);
  EXPECT_EQ(Settings().model().Settings().levels[0].value, 2400);
  for (int id = 2011; id <= 2015; ++id) EXPECT_EQ(window->Button(id)->isHighlighted(), id == 2012);
  QTest::mouseClick(window->Button(2015), Qt::LeftButton);
  EXPECT_EQ(Profiles().ActiveProfile(), 5);
  EXPECT_EQ(Settings().model().Settings().levels[0].value, 1600) << "defaults for a profile without a row";
  EXPECT_EQ(rows(), 2) << "switching writes nothing";
}

TEST_F(MainWindowFixture, StatusReportReachesBothPagesOnTheWindowThreadAndIsSaved) {
  kz::device::SimMouseState state = mouse->State();
  state.dpi = {0x10, 0x00, 0x40, 0x00};  // levels 1 and 3: 800 and 3200 DPI
  state.dpiCount = 2;
  state.dpiActive = 2;  // the second enabled level: level 3
  state.light1 = {0x12, 0x34, 0x56};    // no preset: a free colour
  state.firmware = 0x12;
  mouse->SetState(state);
  Open();
  QSignalSpy handled(window.get(), &CDlgMain::statusReportHandled);
  window->DeviceTimerTick();  // the mouse is present: the reader starts and asks for the state
  ASSERT_TRUE(handled.wait(5000));
  EXPECT_TRUE(window->ReaderRunning());
  const auto& levels = Settings().model().Settings().levels;
  EXPECT_TRUE(levels[0].enabled && !levels[1].enabled && levels[2].enabled && !levels[3].enabled);
  EXPECT_EQ(levels[0].value, 800);
  EXPECT_EQ(levels[2].value, 3200);
  EXPECT_EQ(Settings().model().Settings().activeLevel, 2);
  EXPECT_EQ(Lights().model().Light(0).colourType, 0);
  EXPECT_EQ(services->session.FirmwareVersion(), "1.2");
  EXPECT_TRUE(window->UploadRequestEvent().IsSet());

  kz::store::Recordset row(Db());
  ASSERT_TRUE(kz::store::OpenProfileRow(row, 1, "CommonUser"));
  ASSERT_EQ(row.GetRecordCount(), 1);
  int dpiActive = -1, dpi3 = 0, rgb = 0;
  row.GetFieldValue("dpi_active", dpiActive);
  row.GetFieldValue("dpi_3", dpi3);
  row.GetFieldValue("light1_rgb", rgb);
  EXPECT_EQ(dpiActive, 2);
  EXPECT_EQ(dpi3, 3200);
  EXPECT_EQ(rgb, 0x12 | 0x34 << 8 | 0x56 << 16);

  // A second tick while the reader runs only asks again.
  handled.clear();
  window->DeviceTimerTick();
  ASSERT_TRUE(handled.wait(5000));
}

TEST_F(MainWindowFixture, UnplugEndsTheReaderAndAnArrivalStartsAFreshOne) {
  Open();
  QSignalSpy handled(window.get(), &CDlgMain::statusReportHandled);
  window->DeviceTimerTick();
  ASSERT_TRUE(handled.wait(5000));
  mouse->Unplug();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window->ReaderRunning(); }, 5000));
  window->DeviceTimerTick();  // not present: nothing starts
  EXPECT_FALSE(window->ReaderRunning());
  mouse->Plug();  // the arrival restarts the one-second device timer
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->DeviceTimerActive(); }, 3000));
  EXPECT_TRUE(handled.wait(5000));
  EXPECT_TRUE(window->ReaderRunning());
  EXPECT_TRUE(Logged("mouse insert"));
}

TEST_F(MainWindowFixture, HideAndRestore) {
  Open();
  window->RunCommand(2004);
  window->RunCommand(2000);
  EXPECT_FALSE(window->isVisible() && !window->isMinimized());
  window->RunCommand(CDlgMain::kTrayOpen);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->isMinimized());
  EXPECT_TRUE(window->Page(2)->isVisible());
  EXPECT_TRUE(window->LoginPanel()->isVisible());
}

TEST_F(MainWindowFixture, AShowRequestOfALaterStartBringsTheHiddenWindowBack) {
  Open();
  window->RunCommand(2002);
  window->hide();  // in the tray
  kzgui::ShowMainWindow(window.get());
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->Page(0)->isVisible());
}

TEST_F(MainWindowFixture, QuitCommandsAskTheProgramToEnd) {
  Open();
  QSignalSpy quit(window.get(), &CDlgMain::quitRequested);
  window->RunCommand(2001);
  window->RunCommand(2010);
  window->RunCommand(CDlgMain::kTrayExit);
  EXPECT_EQ(quit.count(), 3);
}

}  // namespace
