// CDlgBase: Enter and Escape never close a page or dialog, the page-operation defaults, the shape
// rule, the background picture and dragging the window.
#include <gtest/gtest.h>

#include <QPainter>
#include <QRegion>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "gui/kit/cdlg_base.h"
#include "gui/kit/number_edit.h"

namespace {

using kzgui::kit::CDlgBase;
using kzgui::kit::NumberEdit;

const Qt::Key kClosingKeys[] = {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter};

TEST(DlgBaseTest, EnterAndEscapeDoNotEndAModalDialog) {
  CDlgBase dialog;
  bool visibleAfterKeys = false;
  QTimer::singleShot(0, [&] {
    for (Qt::Key key : kClosingKeys) QTest::keyClick(&dialog, key);
    visibleAfterKeys = dialog.isVisible();
    dialog.done(7);
  });
  EXPECT_EQ(dialog.exec(), 7);
  EXPECT_TRUE(visibleAfterKeys);
}

TEST(DlgBaseTest, EnterAndEscapeDoNotHideAPageAndEnterStillFinishesAnEdit) {
  QWidget window;
  window.resize(400, 300);
  auto* page = new CDlgBase(&window, Qt::Widget);
  page->setGeometry(10, 10, 300, 200);
  auto* edit = new NumberEdit(200, 8200, page);
  edit->setGeometry(10, 10, 80, 24);
  QSignalSpy edited(edit, &NumberEdit::valueEdited);
  window.show();

  edit->selectAll();
  QTest::keyClicks(edit, "3200");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(edited.count(), 1);
  EXPECT_EQ(edit->value(), 3200);
  for (Qt::Key key : kClosingKeys) {
    QTest::keyClick(edit, key);
    QTest::keyClick(page, key);
  }
  EXPECT_TRUE(page->isVisible());
  EXPECT_TRUE(window.isVisible());
}

TEST(DlgBaseTest, PageOperationDefaultsReportSuccessAndChangeNothing) {
  CDlgBase page;
  EXPECT_TRUE(page.WriteToDevice());  // a page without device settings never fails an apply
  EXPECT_TRUE(page.LoadFromStore());  // ... nor asks for its defaults on load
  page.SaveToStore();
  page.ResetToDefaults();

  struct Counting : CDlgBase {
    int writes = 0;
    bool WriteToDevice() override { return ++writes, false; }
  } counting;
  CDlgBase& asBase = counting;
  EXPECT_FALSE(asBase.WriteToDevice());
  EXPECT_EQ(counting.writes, 1);
  EXPECT_TRUE(asBase.LoadFromStore());
}

TEST(DlgBaseTest, OnlyPureWhitePixelsFallOutsideTheShape) {
  QImage shape(20, 10, QImage::Format_RGB32);
  shape.fill(Qt::white);
  for (int y = 2; y < 8; ++y)
    for (int x = 5; x < 15; ++x) shape.setPixel(x, y, qRgb(30, 30, 30));
  shape.setPixel(0, 0, qRgb(254, 255, 255));  // nearly white still belongs
  shape.setPixel(19, 9, qRgb(0, 0, 0));

  const QRegion region = CDlgBase::ShapeRegion(shape);
  EXPECT_TRUE(region.contains(QPoint(5, 2)));
  EXPECT_TRUE(region.contains(QPoint(14, 7)));
  EXPECT_TRUE(region.contains(QPoint(0, 0)));
  EXPECT_TRUE(region.contains(QPoint(19, 9)));
  EXPECT_FALSE(region.contains(QPoint(4, 2)));
  EXPECT_FALSE(region.contains(QPoint(15, 7)));
  EXPECT_FALSE(region.contains(QPoint(10, 9)));

  // A picture with an alpha channel is judged by its colour alone.
  QImage withAlpha(4, 1, QImage::Format_ARGB32);
  withAlpha.fill(qRgba(255, 255, 255, 255));
  withAlpha.setPixel(2, 0, qRgba(200, 0, 0, 255));
  EXPECT_EQ(CDlgBase::ShapeRegion(withAlpha), QRegion(2, 0, 1, 1));

  CDlgBase dialog;
  QImage allWhite(8, 8, QImage::Format_RGB32);
  allWhite.fill(Qt::white);
  dialog.setShape(QPixmap::fromImage(shape));
  EXPECT_FALSE(dialog.mask().isEmpty());
  dialog.setShape(QPixmap::fromImage(allWhite));
  EXPECT_TRUE(dialog.mask().isEmpty());  // no shape rather than an invisible window
}

TEST(DlgBaseTest, BackgroundPictureSizesAndPaintsTheWidget) {
  QImage picture(120, 80, QImage::Format_RGB32);
  picture.fill(QColor(10, 200, 30));
  picture.setPixel(119, 79, qRgb(1, 2, 3));
  CDlgBase page(nullptr, Qt::Widget);
  page.setBackground(QPixmap::fromImage(picture));
  EXPECT_EQ(page.size(), QSize(120, 80));
  const QImage shown = page.grab().toImage();
  EXPECT_EQ(shown.pixelColor(5, 5), QColor(10, 200, 30));
  EXPECT_EQ(shown.pixelColor(119, 79), QColor(1, 2, 3));
}

TEST(DlgBaseTest, DragOnTheBackgroundMovesTheWindowButNotFromAControl) {
  CDlgBase dialog;
  dialog.setDragMovesWindow(true);
  dialog.setGeometry(100, 100, 300, 200);
  auto* edit = new NumberEdit(0, 255, &dialog);
  edit->setGeometry(200, 150, 60, 24);
  dialog.show();
  const QPoint start = dialog.pos();

  auto send = [](QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButtons buttons) {
    QMouseEvent event(type, local, target->mapToGlobal(local), Qt::LeftButton, buttons, {});
    QApplication::sendEvent(target, &event);
  };
  send(&dialog, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton);
  send(&dialog, QEvent::MouseMove, {70, 50}, Qt::LeftButton);
  send(&dialog, QEvent::MouseButtonRelease, {70, 50}, Qt::NoButton);
  EXPECT_EQ(dialog.pos(), start + QPoint(50, 30));

  const QPoint afterDrag = dialog.pos();
  send(edit, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
  send(edit, QEvent::MouseMove, {40, 5}, Qt::LeftButton);
  send(edit, QEvent::MouseButtonRelease, {40, 5}, Qt::NoButton);
  EXPECT_EQ(dialog.pos(), afterDrag);
}

}  // namespace
