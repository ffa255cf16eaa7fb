// The colour strip reports the colour of the pixel the user sees under the pointer.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "gui/kit/color_strip.h"
#include "gui/kit/color_swatch.h"

namespace {

using kzgui::kit::ColorStrip;

QColor Picked(const QSignalSpy& spy, int i) { return spy.at(i).at(0).value<QColor>(); }

TEST(ColorStripTest, ClickPicksThePixelShownUnderThePointer) {
  ColorStrip strip;
  strip.resize(256, 40);
  strip.show();
  const QImage screen = strip.grab().toImage();
  ASSERT_EQ(screen.size(), QSize(256, 40));
  QSignalSpy picked(&strip, &ColorStrip::colorPicked);

  const QPoint points[] = {{0, 1}, {1, 0}, {255, 39}, {128, 20}, {40, 5}, {200, 33}, {85, 20}};
  for (const QPoint& p : points) {
    QTest::mouseClick(&strip, Qt::LeftButton, {}, p);
    ASSERT_EQ(picked.count(), 1) << p.x() << "," << p.y();
    EXPECT_EQ(Picked(picked, 0), screen.pixelColor(p)) << p.x() << "," << p.y();
    picked.clear();
  }
  // The drawn strip is not one colour: hues change left to right, brightness top to bottom.
  EXPECT_NE(screen.pixelColor(10, 20), screen.pixelColor(128, 20));
  EXPECT_NE(screen.pixelColor(128, 2), screen.pixelColor(128, 38));
}

TEST(ColorStripTest, PicksFromAGivenPictureAndIgnoresOtherButtonsAndPointsOutside) {
  QImage picture(2, 1, QImage::Format_RGB32);
  picture.setPixel(0, 0, qRgb(0x12, 0x34, 0x56));
  picture.setPixel(1, 0, qRgb(0xff, 0x7d, 0x00));
  ColorStrip strip;
  strip.resize(100, 20);
  strip.setImage(picture);
  strip.show();
  QSignalSpy picked(&strip, &ColorStrip::colorPicked);

  QTest::mouseClick(&strip, Qt::RightButton, {}, QPoint(10, 10));
  EXPECT_EQ(picked.count(), 0);

  auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, at, strip.mapToGlobal(at), Qt::LeftButton, held, {});
    QApplication::sendEvent(&strip, &event);
  };
  send(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
  send(QEvent::MouseMove, {90, 10}, Qt::LeftButton);
  send(QEvent::MouseMove, {140, 10}, Qt::LeftButton);  // dragged off the strip
  send(QEvent::MouseButtonRelease, {140, 10}, Qt::NoButton);
  send(QEvent::MouseMove, {20, 10}, Qt::NoButton);     // no button held: no pick
  ASSERT_EQ(picked.count(), 2);
  EXPECT_EQ(Picked(picked, 0), QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(Picked(picked, 1), QColor(0xff, 0x7d, 0x00));
}

TEST(ColorSwatchTest, ShowsItsColour) {
  kzgui::kit::ColorSwatch swatch(QColor(0x19, 0xa5, 0x2d));
  swatch.resize(24, 24);
  EXPECT_EQ(swatch.grab().toImage().pixelColor(12, 12), QColor(0x19, 0xa5, 0x2d));
  swatch.setColor(QColor(0xff, 0x00, 0x82));
  EXPECT_EQ(swatch.grab().toImage().pixelColor(12, 12), QColor(0xff, 0x00, 0x82));
}

}  // namespace
