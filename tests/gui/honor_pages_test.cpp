// The achievement pages in the main window: the statistics page's numbers fed by status reports,
// the honor page's categories and slots, the switch between the two, and timer 3, which stores the
// counters only when they changed (an idle mouse costs the database nothing).
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

#include <QLabel>
#include <QSignalSpy>
#include <QtTest/QTest>

#include "gui/honor/cdlg_achi.h"
#include "gui/honor/cdlg_achi2.h"
#include "gui/kit/medal.h"
#include "gui/kit/skin_button.h"
#include "gui/window_fixture.h"
#include "honor/honor.h"

namespace {

using kzgui::CDlgAchi;
using kzgui::CDlgAchi2;
using kzgui::CDlgMain;

struct HonorPagesFixture : kztest::WindowFixture {
  CDlgAchi& Statistics() { return *qobject_cast<CDlgAchi*>(window->Page(5)); }
  CDlgAchi2& Honors() { return *qobject_cast<CDlgAchi2*>(window->Page(3)); }
  QString Number(int control) { return Statistics().Number(control)->text(); }
  // Starts the reader and waits for the answer to its first "03F9".
  void StartReader() {
    QSignalSpy handled(window.get(), &CDlgMain::statusReportHandled);
    window->DeviceTimerTick();
    ASSERT_TRUE(handled.wait(5000));
  }
  void WaitForReports(int count) {
    QSignalSpy handled(window.get(), &CDlgMain::statusReportHandled);
    ASSERT_TRUE(QTest::qWaitFor([&] { return handled.count() >= count; }, 5000));
  }
  long long Column(const std::string& name) {
    kz::store::Recordset rs(Db());
    EXPECT_TRUE(rs.Open("select " + name + " from kz_user where user_name='CommonUser'"));
    long long value = -1;
    rs.GetFieldValue(0, value);
    return value;
  }
  // Every write of the window's connection, and the files' modification times.
  struct Writes {
    int changes;
    std::vector<long long> mtimes;
    bool operator==(const Writes&) const = default;
  };
  Writes DatabaseWrites() {
    Writes w{sqlite3_total_changes(Db().Handle()), {}};
    for (const char* suffix : {"", "-wal"}) {
      struct stat st {};
      const std::string path = Db().Path() + suffix;
      w.mtimes.push_back(::stat(path.c_str(), &st) == 0 ? st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec : -1);
    }
    return w;
  }
};

TEST_F(HonorPagesFixture, ReportsFeedTheStatisticsPageAndTheRow) {
  Open();
  StopDeviceTimer();
  StartReader();
  EXPECT_EQ(Number(1004), "0");
  // At the factory level 1 of 1600 DPI, 800 counts are half an inch: 1 cm per report.
  for (int i = 0; i < 2; ++i) mouse->Click(kz::device::StatusReport::kWheelUp);
  mouse->Click(kz::device::StatusReport::kClickLeft | kz::device::StatusReport::kClickMiddle);
  WaitForReports(3);
  EXPECT_EQ(Number(1004), "24");
  EXPECT_EQ(Number(1006), "24");
  EXPECT_EQ(Number(1007), "48");
  EXPECT_EQ(Number(1008), "2");
  EXPECT_EQ(Number(1010), "2");
  EXPECT_EQ(Column("mouse_left"), 24);
  EXPECT_EQ(Column("wheel_up"), 48);
  // 199 cm show as 1 m, right after the report.
  kz::honor::CounterValues values = services->Counters().Values();
  values.distance = 198;
  services->Counters().SetValues(values);
  mouse->Move(800);
  WaitForReports(1);
  EXPECT_EQ(Number(1011), "1");
  EXPECT_EQ(Column("move_distance"), 199);
  EXPECT_EQ(Statistics().Number(1004)->styleSheet(), "color: rgb(18, 207, 255); background: transparent;");

  // The factory reset zeroes clicks and wheel, keeps the distance, and stores it.
  window->ResetToDefaults();
  EXPECT_EQ(Number(1004), "0");
  EXPECT_EQ(Number(1008), "0");
  EXPECT_EQ(Number(1011), "1");
  EXPECT_EQ(Column("mouse_left"), 0);
  EXPECT_EQ(Column("move_distance"), 199);
  WaitForMouse();
}

TEST_F(HonorPagesFixture, TimerThreeWritesOnlyWhatChangedSoAnIdleMouseCostsNoWrite) {
  Open();
  StopDeviceTimer();
  StartReader();
  const Writes idle = DatabaseWrites();
  // Thirty ticks are a minute of an idle mouse.
  for (int tick = 0; tick < 30; ++tick) window->CountersTimerTick();
  QTest::qWait(20);
  EXPECT_EQ(DatabaseWrites(), idle);

  // A count that no save has stored yet goes in at the next tick, once.
  services->Counters().AddMouseMessage(0x204, 0);
  window->CountersTimerTick();
  EXPECT_EQ(Column("mouse_right"), 1);
  EXPECT_EQ(Number(1005), "1");
  const Writes stored = DatabaseWrites();
  EXPECT_NE(stored.changes, idle.changes);
  for (int tick = 0; tick < 5; ++tick) window->CountersTimerTick();
  EXPECT_EQ(DatabaseWrites(), stored);

  // The window's timer is the 2-second repeating one.
  bool found = false;
  for (QTimer* timer : window->findChildren<QTimer*>())
    found = found || (!timer->isSingleShot() && timer->interval() == CDlgMain::kCountersTimerMs && timer->isActive());
  EXPECT_TRUE(found);
}

TEST_F(HonorPagesFixture, TheHonorTabAndTheTwoBackButtons) {
  Open();
  StopDeviceTimer();
  QTest::mouseClick(window->Button(2005), Qt::LeftButton);
  EXPECT_TRUE(Honors().isVisible());
  EXPECT_EQ(Honors().ShownCategory(), 0);
  QTest::mouseClick(Honors().BackButton(), Qt::LeftButton);
  EXPECT_TRUE(Honors().isHidden());
  EXPECT_TRUE(Statistics().isVisible());
  EXPECT_EQ(Statistics().BackButton()->geometry(), QRect(QPoint(18, 27), QPoint(129, 44)));
  QTest::mouseClick(Statistics().BackButton(), Qt::LeftButton);
  EXPECT_TRUE(Statistics().isHidden());
  EXPECT_TRUE(Honors().isVisible());
  EXPECT_EQ(Honors().BackButton()->geometry(), QRect(QPoint(188, 17), QPoint(304, 39)));

  // Back from the tray on the statistics page: it alone is shown again.
  QTest::mouseClick(Honors().BackButton(), Qt::LeftButton);
  window->hide();
  window->Restore();
  EXPECT_TRUE(Statistics().isVisible());
  EXPECT_TRUE(Honors().isHidden());
}

TEST_F(HonorPagesFixture, PickingACategoryShowsItsSlotsAndTheCheckGrantsWithoutRedrawing) {
  ASSERT_TRUE(Db().Execute("update kz_user set mouse_left=10008, invite_count=0 where user_name='CommonUser'"));
  Open();
  StopDeviceTimer();
  QTest::mouseClick(window->Button(2005), Qt::LeftButton);
  CDlgAchi2& honors = Honors();
  EXPECT_EQ(honors.CheckTimer()->interval(), 30000);
  EXPECT_TRUE(honors.CheckTimer()->isActive());

  QTest::mouseClick(honors.CategoryButton(3), Qt::LeftButton);
  EXPECT_TRUE(honors.SlotTitle(0)->isVisible());
  EXPECT_EQ(honors.SlotTitle(0)->text(), "百战天虫");
  EXPECT_EQ(honors.SlotMedal(0)->look(), kzgui::kit::Medal::Look::NextGoal);  // not checked yet

  // The check stores the level but leaves the page as it is until the category is picked again.
  EXPECT_EQ(honors.CheckHonors(), 1);
  EXPECT_EQ(honors.SlotMedal(0)->look(), kzgui::kit::Medal::Look::NextGoal);
  for (int pick = 0; pick < 2; ++pick) {
    QTest::mouseClick(honors.CategoryButton(3), Qt::LeftButton);
    EXPECT_TRUE(honors.CategoryButton(3)->isHighlighted());
    EXPECT_EQ(honors.ShownCategory(), 3);
    EXPECT_EQ(honors.SlotMedal(0)->look(), kzgui::kit::Medal::Look::Earned);
    EXPECT_EQ(honors.SlotTitle(0)->styleSheet(), "color: rgb(201, 179, 100); background: transparent;");
    EXPECT_EQ(honors.SlotCondition(0)->styleSheet(), "color: rgb(24, 85, 114); background: transparent;");
    EXPECT_EQ(honors.SlotTitle(1)->text(), "千王之王");
    EXPECT_EQ(honors.SlotTitle(1)->styleSheet(), "color: rgb(192, 192, 192); background: transparent;");
    EXPECT_TRUE(honors.SlotMedal(1)->isVisible());
    EXPECT_FALSE(honors.SlotMedal(2)->isVisible());
  }

  QTest::mouseClick(honors.CategoryButton(7), Qt::LeftButton);
  EXPECT_FALSE(honors.CategoryButton(3)->isHighlighted());
  EXPECT_EQ(honors.SlotTitle(0)->text(), "小伙伴招募");
  EXPECT_EQ(honors.SlotCondition(0)->text(), "邀请1人");
  EXPECT_EQ(honors.SlotMedal(0)->look(), kzgui::kit::Medal::Look::NextGoal);
  for (int k = 1; k < 5; ++k) EXPECT_FALSE(honors.SlotTitle(k)->isVisible());
  // Commands without an action change nothing.
  honors.RunCommand(5010);
  honors.RunCommand(5101);
  EXPECT_EQ(honors.ShownCategory(), 7);
}

}  // namespace
