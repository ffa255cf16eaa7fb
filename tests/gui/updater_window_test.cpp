// kz_update's window: its look, the close buttons before the timer, and the timer's work (copy,
// delete, start the main program) with a failed copy keeping the update for another try.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QtTest/QTest>

#include "gui/kit/skin_button.h"
#include "support/test_support.h"
#include "update/update_fixture.h"
#include "update/install.h"
#include "updater/ckz_update_dlg.h"

namespace {

struct UpdaterWindowTest : ::testing::Test {
  kztest::TempDir dir;
  std::vector<std::string> started;
  std::unique_ptr<kzgui::Ckz_updateDlg> window;

  void Make() {
    kzgui::Ckz_updateDlg::Options options;
    options.sourceDir = dir / "data/Update";
    options.programDir = dir / "prog/";
    options.startMainProgram = [this](const std::string& programDir) { started.push_back(programDir); };
    window = std::make_unique<kzgui::Ckz_updateDlg>(options);
    window->show();
  }
};

}  // namespace

TEST_F(UpdaterWindowTest, LooksAsTheUpdaterShould) {
  Make();
  EXPECT_EQ(window->size(), QSize(500, 318));
  EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(window->TextField()->geometry(), QRect(38, 79, 422, 161));
  EXPECT_EQ(window->TextField()->toPlainText(), "正在更新KzMouse...");
  EXPECT_TRUE(window->TextField()->isReadOnly());
  EXPECT_EQ(window->Button(7800)->geometry(), QRect(196, 257, 106, 40));
  EXPECT_EQ(window->Button(7801)->geometry(), QRect(457, 9, 28, 30));
  EXPECT_TRUE(window->TimerActive());
}

TEST_F(UpdaterWindowTest, ClosingBeforeTheTimerInstallsNothing) {
  for (int id : {7800, 7801}) {
    kztest::Put(dir / "data/Update/kzMouse", "new");
    Make();
    QTest::mouseClick(window->Button(id), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible()) << id;
    QTest::qWait(kzgui::Ckz_updateDlg::kTimerMs + 200);  // the timer would have fired by now
    EXPECT_TRUE(started.empty()) << id;
    EXPECT_FALSE(kztest::Exists(dir / "prog/kzMouse")) << id;
    EXPECT_EQ(kztest::ReadAll(dir / "data/Update/kzMouse"), "new") << id;
  }
}

TEST_F(UpdaterWindowTest, TheTimerCopiesDeletesAndStartsTheProgram) {
  kztest::Put(dir / "data/Update/kzMouse", "new");
  kztest::Put(dir / "data/Update/lib/a.so", "a");
  kztest::Put(dir / "prog/kzMouse", "old");
  Make();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !started.empty(); }, 5000));
  EXPECT_EQ(started, std::vector<std::string>{dir / "prog/"});
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(kztest::ReadAll(dir / "prog/kzMouse"), "new");
  EXPECT_EQ(kztest::ReadAll(dir / "prog/lib/a.so"), "a");
  EXPECT_FALSE(kztest::Exists(dir / "data/Update"));
}

TEST_F(UpdaterWindowTest, AFailedCopyKeepsTheUpdateAndStillStartsTheProgram) {
  kztest::Put(dir / "data/Update/kzMouse", "new");
  kztest::Put(dir / "data/Update/lib/a.so", "a");
  kztest::Put(dir / "prog/lib", "a file where the folder goes");
  Make();
  window->RunUpdate();
  EXPECT_EQ(started.size(), 1u);
  EXPECT_EQ(kztest::ReadAll(dir / "prog/kzMouse"), "new");
  EXPECT_EQ(kztest::ReadAll(dir / "data/Update/lib/a.so"), "a");

  // Without an update the program is started all the same.
  started.clear();
  kz::update::DeleteFolder(dir / "data");
  Make();
  window->RunUpdate();
  EXPECT_EQ(started.size(), 1u);
}
