// The DPI slider's position rule and the step slider, by rule and by real clicks and drags.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "gui/kit/dpi_slider.h"
#include "gui/kit/step_slider.h"

namespace {

using kzgui::kit::DpiSlider;
using kzgui::kit::SkinSlider;
using kzgui::kit::StepSlider;

QPoint OnTrack(const SkinSlider& slider, int x) {
  return {slider.trackRect().left() + x, slider.height() / 2};
}

TEST(DpiSliderTest, ValueFollowsTheFloorRuleAndStaysInRange) {
  struct Case {
    int x, width, value;
  } cases[] = {
      {0, 800, 200},     {1, 800, 210},     {400, 800, 4200}, {799, 800, 8190},
      {800, 800, 8200},  {1, 834, 209},     {833, 834, 8190}, {417, 834, 4200},
      {-40, 800, 200},   {5000, 800, 8200}, {3, 0, 200},      {3, -5, 200},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DpiSlider::ValueAt(c.x, c.width), c.value) << "x=" << c.x << " w=" << c.width;
  }
}

TEST(DpiSliderTest, ClickAndDragSetTheValueAtThePointer) {
  DpiSlider slider;
  slider.setGeometry(0, 0, 314, 24);  // a track of 300 pixels: 26.67 DPI per pixel
  slider.show();
  const int w = slider.trackRect().width();
  ASSERT_EQ(w, 300);
  QSignalSpy changed(&slider, &QAbstractSlider::valueChanged);

  QTest::mouseClick(&slider, Qt::LeftButton, {}, OnTrack(slider, 100));
  EXPECT_EQ(slider.value(), 2866);  // 200 + 2666.67, floored
  QTest::mouseClick(&slider, Qt::LeftButton, {}, OnTrack(slider, 299));
  EXPECT_EQ(slider.value(), 8173);
  // Clicks on the inset beside the track take the ends.
  QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(1, 12));
  EXPECT_EQ(slider.value(), 200);
  QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(slider.width() - 1, 12));
  EXPECT_EQ(slider.value(), 8200);
  EXPECT_EQ(changed.count(), 4);

  QSignalSpy moved(&slider, &QAbstractSlider::sliderMoved);
  QTest::mousePress(&slider, Qt::LeftButton, {}, OnTrack(slider, 10));
  EXPECT_EQ(slider.value(), 466);
  QTest::mouseMove(&slider, OnTrack(slider, 150));
  EXPECT_EQ(slider.value(), 4200);
  QTest::mouseRelease(&slider, Qt::LeftButton, {}, OnTrack(slider, 150));
  EXPECT_FALSE(slider.isSliderDown());
  EXPECT_GE(moved.count(), 2);
  // With the button up, moving the pointer over the slider changes nothing.
  QTest::mouseMove(&slider, OnTrack(slider, 50));
  EXPECT_EQ(slider.value(), 4200);
}

TEST(DpiSliderTest, ValuesFromCodeAreKeptInRange) {
  DpiSlider slider;
  slider.setValue(50);
  EXPECT_EQ(slider.value(), 200);
  slider.setValue(9000);
  EXPECT_EQ(slider.value(), 8200);
}

TEST(StepSliderTest, PointerSnapsToTheNearestOfElevenSteps) {
  StepSlider slider;
  slider.setGeometry(0, 0, 214, 24);  // a track of 200 pixels: 20 per step
  slider.show();
  ASSERT_EQ(slider.minimum(), 0);
  ASSERT_EQ(slider.maximum(), 10);
  struct Case {
    int x, step;
  } cases[] = {{0, 0}, {9, 0}, {10, 1}, {29, 1}, {100, 5}, {189, 9}, {191, 10}, {200, 10}, {-30, 0},
               {260, 10}};
  for (const Case& c : cases) {
    QTest::mouseClick(&slider, Qt::LeftButton, {}, OnTrack(slider, c.x));
    EXPECT_EQ(slider.value(), c.step) << "x=" << c.x;
  }
}

TEST(StepSliderTest, ArrowKeysMoveOneStepWithinTheEnds) {
  StepSlider slider;
  slider.setValue(9);
  QTest::keyClick(&slider, Qt::Key_Right);
  EXPECT_EQ(slider.value(), 10);
  QTest::keyClick(&slider, Qt::Key_Right);
  EXPECT_EQ(slider.value(), 10);
  slider.setValue(0);
  QTest::keyClick(&slider, Qt::Key_Left);
  EXPECT_EQ(slider.value(), 0);
}

}  // namespace
