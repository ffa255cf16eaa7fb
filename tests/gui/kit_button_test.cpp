// Highlighting: a group keeps exactly one button highlighted whatever is clicked or set, and a
// kit button's click leaves its highlight to its owner.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <vector>

#include "gui/kit/color_swatch.h"
#include "gui/kit/radio_group.h"
#include "gui/kit/skin_button.h"

namespace {

using kzgui::kit::ColorSwatch;
using kzgui::kit::RadioGroup;
using kzgui::kit::SkinButton;

// Five tabs on a window, like the main window's, in a group.
struct TabsFixture : ::testing::Test {
  QWidget window;
  RadioGroup group;
  std::vector<SkinButton*> tabs;

  void SetUp() override {
    window.resize(700, 40);
    for (int i = 0; i < 5; ++i) {
      auto* tab = new SkinButton(QStringLiteral("页%1").arg(i), SkinButton::Look::Tab, &window);
      tab->setGeometry(i * 138, 5, 134, 30);
      EXPECT_EQ(group.add(tab), i);
      tabs.push_back(tab);
    }
    window.show();
  }

  std::vector<int> Highlighted() const {
    std::vector<int> on;
    for (int i = 0; i < 5; ++i)
      if (tabs[i]->isHighlighted()) on.push_back(i);
    return on;
  }
};

TEST_F(TabsFixture, ClicksKeepExactlyOneHighlighted) {
  EXPECT_EQ(group.selected(), -1);
  EXPECT_TRUE(Highlighted().empty());
  QSignalSpy clicked(&group, &RadioGroup::clicked);
  QSignalSpy changed(&group, &RadioGroup::changed);

  for (int index : {2, 2, 4, 0, 0, 3}) {
    QTest::mouseClick(tabs[index], Qt::LeftButton);
    EXPECT_EQ(Highlighted(), std::vector<int>{index});
    EXPECT_EQ(group.selected(), index);
  }
  // Every click is reported; a change only when another tab was chosen.
  EXPECT_EQ(clicked.count(), 6);
  ASSERT_EQ(changed.count(), 4);
  EXPECT_EQ(changed.at(0).at(0).toInt(), 2);
  EXPECT_EQ(changed.at(3).at(0).toInt(), 3);
}

TEST_F(TabsFixture, SelectionFromCodeKeepsExactlyOneHighlighted) {
  QSignalSpy changed(&group, &RadioGroup::changed);
  group.setSelected(1);
  EXPECT_EQ(Highlighted(), std::vector<int>{1});
  group.setSelected(1);  // no change, no signal
  group.setSelected(5);  // outside the set: ignored
  group.setSelected(-2);
  EXPECT_EQ(Highlighted(), std::vector<int>{1});
  EXPECT_EQ(changed.count(), 1);

  // The highlighted button cannot be switched off behind the group's back ...
  tabs[1]->setHighlighted(false);
  EXPECT_EQ(Highlighted(), std::vector<int>{1});
  // ... and one switched on directly becomes the selection.
  tabs[4]->setHighlighted(true);
  EXPECT_EQ(Highlighted(), std::vector<int>{4});
  EXPECT_EQ(group.selected(), 4);
  EXPECT_EQ(changed.count(), 2);

  group.setSelected(-1);
  EXPECT_TRUE(Highlighted().empty());
  EXPECT_EQ(changed.count(), 3);
  QTest::mouseClick(tabs[0], Qt::LeftButton);
  EXPECT_EQ(Highlighted(), std::vector<int>{0});
}

TEST(SkinButtonTest, ClickLeavesTheHighlightToTheOwner) {
  SkinButton button(QStringLiteral("应用"), SkinButton::Look::Action);
  button.setGeometry(46, 391, 100, 33);
  button.show();
  QSignalSpy clicked(&button, &QAbstractButton::clicked);
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_FALSE(button.isHighlighted());
  button.setHighlighted(true);
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_TRUE(button.isHighlighted());
  EXPECT_EQ(clicked.count(), 2);
  EXPECT_EQ(button.geometry(), QRect(46, 391, 100, 33));  // fixed rectangles stay as placed
}

TEST(SwatchGroupTest, PresetSwatchesChooseLikeTabsAndThePreviewTakesNoClicks) {
  QWidget window;
  RadioGroup presets;
  std::vector<ColorSwatch*> swatches;
  for (QColor c : {QColor(0x00, 0x91, 0xff), QColor(0xff, 0x00, 0x00), QColor(0x28, 0xff, 0x00)}) {
    swatches.push_back(new ColorSwatch(c, &window));
    swatches.back()->setGeometry(int(swatches.size()) * 30, 0, 24, 24);
    presets.add(swatches.back());
  }
  window.show();
  QTest::mouseClick(swatches[1], Qt::LeftButton);
  QTest::mouseClick(swatches[1], Qt::LeftButton);
  EXPECT_EQ(presets.selected(), 1);
  EXPECT_TRUE(swatches[1]->isChecked());
  EXPECT_FALSE(swatches[0]->isChecked() || swatches[2]->isChecked());

  ColorSwatch preview(Qt::red);
  preview.setClickable(false);
  EXPECT_TRUE(preview.testAttribute(Qt::WA_TransparentForMouseEvents));
}

}  // namespace
