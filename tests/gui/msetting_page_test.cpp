// The mouse settings page as a binding: a click, drag or edit reaches the model, and afterwards
// every control shows the model; the page operations go through the model to a test database, a
// fake desktop and a recording device link.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "device/status_report.h"
#include "gui/kit/dpi_slider.h"
#include "gui/kit/number_edit.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/step_slider.h"
#include "gui/kit/toggle_button.h"
#include "gui/settings/cdlg_msetting.h"
#include "page_fixture.h"

namespace {

using kz::settings::InMemoryPointerSettings;
using kz::settings::MouseSettings;
using kz::settings::MouseSettingsModel;
using kzgui::CDlgMSetting;
using Step = CDlgMSetting::Step;

void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }

// Clicks a slider where its thumb stands for `value`.
void ClickSliderAt(kzgui::kit::SkinSlider* slider, int value) {
  const QRect track = slider->trackRect();
  const int x = track.left() + static_cast<int>(qint64(value - slider->minimum()) * track.width() /
                                                (slider->maximum() - slider->minimum()));
  QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(x, slider->height() / 2));
}

void Type(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->clear();
  QTest::keyClicks(edit, text);
  QTest::keyClick(edit, Qt::Key_Return);
}

std::optional<kz::device::StatusReport> Report(std::initializer_list<std::pair<int, int>> bytes) {
  std::array<unsigned char, kz::device::StatusReport::kLength> raw{};
  raw[0] = 0x03;
  for (auto [index, value] : bytes) raw[static_cast<size_t>(index)] = static_cast<unsigned char>(value);
  return kz::device::StatusReport::Decode(raw.data(), static_cast<int>(raw.size()));
}

class MSettingPageTest : public kztest::PageFixture<CDlgMSetting> {
 protected:
  MSettingPageTest() : PageFixture(2) {}

  std::unique_ptr<CDlgMSetting> MakePage() override {
    return std::make_unique<CDlgMSetting>(KeepModel<MouseSettingsModel>(db_, pointer_, link_.Link()), KeySource());
  }
  const MouseSettings& Model() { return page_->model().Settings(); }

  // Every control against the model, so a test states the model and gets the controls checked.
  void ExpectControlsShowModel(CDlgMSetting& page) {
    const MouseSettings& s = page.model().Settings();
    for (int level = 0; level < kz::settings::kDpiLevelCount; ++level) {
      SCOPED_TRACE("level " + std::to_string(level + 1));
      const auto& expected = s.levels[static_cast<size_t>(level)];
      EXPECT_EQ(page.levelToggle(level)->isChecked(), expected.enabled);
      EXPECT_EQ(page.levelSlider(level)->value(), expected.value);
      EXPECT_EQ(page.levelEdit(level)->text(), QString::number(expected.value));
      EXPECT_EQ(page.levelSelectButton(level)->isHighlighted(), level == s.activeLevel);
    }
    for (int choice = 0; choice < kz::settings::kReportRateCount; ++choice)
      EXPECT_EQ(page.reportRateButton(choice)->isHighlighted(), choice == s.reportRate) << "choice " << choice;
    EXPECT_EQ(page.sensitivitySwitch()->isChecked(), s.sensitivitySwitch);
    EXPECT_EQ(page.scrollByPageButton()->isHighlighted(), s.scrollByPage);
    EXPECT_EQ(page.scrollByLinesButton()->isHighlighted(), !s.scrollByPage);
    const std::pair<Step, int> steps[] = {{Step::DoubleClick, s.doubleClick},   {Step::Sense, s.sense},
                                          {Step::SensitivityX, s.sensitivityX}, {Step::SensitivityY, s.sensitivityY},
                                          {Step::ScrollSpeed, s.scrollSpeed},   {Step::PointerSpeed, s.pointerSpeed}};
    for (auto [step, value] : steps) EXPECT_EQ(page.stepSlider(step)->value(), value) << static_cast<int>(step);
  }

  std::shared_ptr<InMemoryPointerSettings> pointer_ = std::make_shared<InMemoryPointerSettings>();
};

TEST_F(MSettingPageTest, EveryControlHasANameTheMainWindowCanFind) {
  const char* names[] = {"dpiSelect1",        "dpiEnable2",         "dpiMinus3",          "dpiPlus4",
                         "dpiSlider1",        "dpiEdit4",           "sensitivitySwitch",  "scrollByPage",
                         "scrollByLines",     "reportRate0",        "reportRate3",        "doubleClickSlider",
                         "senseSlider",       "sensitivityXSlider", "sensitivityYSlider", "scrollSpeedSlider",
                         "pointerSpeedSlider"};
  for (const char* name : names) EXPECT_NE(page_->findChild<QWidget*>(name), nullptr) << name;
  EXPECT_EQ(page_->size(), QSize(834, 520));
}

TEST_F(MSettingPageTest, SelectingAndEnablingLevelsKeepsTheActiveLevelOn) {
  Click(page_->levelToggle(1));  // level 2 off
  EXPECT_FALSE(Model().levels[1].enabled);
  Click(page_->levelSelectButton(1));  // selecting it turns it back on
  EXPECT_EQ(Model().activeLevel, 1);
  EXPECT_TRUE(Model().levels[1].enabled);
  ExpectControlsShowModel(*page_);

  Click(page_->levelSelectButton(2));
  Click(page_->levelToggle(2));  // the active level refuses to go off, and its switch says so
  EXPECT_EQ(Model().activeLevel, 2);
  EXPECT_TRUE(Model().levels[2].enabled);
  EXPECT_TRUE(page_->levelToggle(2)->isChecked());
  Click(page_->levelSelectButton(2));  // selecting the active level again changes nothing
  EXPECT_TRUE(page_->levelSelectButton(2)->isHighlighted());
  EXPECT_FALSE(page_->levelSelectButton(1)->isHighlighted());
  ExpectControlsShowModel(*page_);
}

TEST_F(MSettingPageTest, PlusMinusSliderAndEditMoveOneLevelWithinRange) {
  const int level = 1;
  auto* edit = page_->levelEdit(level);
  struct Case {
    const char* what;
    std::function<void()> act;
    int value;
  } cases[] = {
      {"edit 9000 stops at the top", [&] { Type(edit, "9000"); }, 8200},
      {"plus at the top", [&] { Click(page_->levelPlusButton(level)); }, 8200},
      {"minus", [&] { Click(page_->levelMinusButton(level)); }, 8100},
      {"edit 150 is ignored", [&] { Type(edit, "150"); }, 8100},
      {"edit 250", [&] { Type(edit, "250"); }, 250},
      {"minus below the bottom", [&] { Click(page_->levelMinusButton(level)); }, 200},
      {"plus", [&] { Click(page_->levelPlusButton(level)); }, 300},
      {"slider click", [&] { ClickSliderAt(page_->levelSlider(level), 4200); }, 4200},
      {"slider arrow key", [&] { QTest::keyClick(page_->levelSlider(level), Qt::Key_Right); }, 4300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.act();
    EXPECT_EQ(Model().levels[level].value, c.value);
    ExpectControlsShowModel(*page_);
  }
  // The other levels never moved.
  EXPECT_EQ(Model().levels[0].value, 1600);
  EXPECT_EQ(Model().levels[2].value, 6400);
}

TEST_F(MSettingPageTest, ChoicesSwitchesAndStepSlidersReachTheModel) {
  for (int choice : {0, 2, 1, 3}) {
    Click(page_->reportRateButton(choice));
    EXPECT_EQ(Model().reportRate, choice);
  }
  Click(page_->scrollByPageButton());
  EXPECT_TRUE(Model().scrollByPage);
  Click(page_->scrollByPageButton());  // a pair, not a toggle
  EXPECT_TRUE(Model().scrollByPage);
  Click(page_->scrollByLinesButton());
  EXPECT_FALSE(Model().scrollByPage);
  Click(page_->sensitivitySwitch());
  EXPECT_TRUE(Model().sensitivitySwitch);

  struct Case {
    Step step;
    int value;
    int MouseSettings::*field;
  } cases[] = {{Step::DoubleClick, 3, &MouseSettings::doubleClick},   {Step::Sense, 0, &MouseSettings::sense},
               {Step::SensitivityX, 10, &MouseSettings::sensitivityX}, {Step::SensitivityY, 7, &MouseSettings::sensitivityY},
               {Step::ScrollSpeed, 9, &MouseSettings::scrollSpeed},    {Step::PointerSpeed, 1, &MouseSettings::pointerSpeed}};
  for (const Case& c : cases) {
    ClickSliderAt(page_->stepSlider(c.step), c.value);
    EXPECT_EQ(Model().*c.field, c.value) << static_cast<int>(c.step);
  }
  ExpectControlsShowModel(*page_);

  // What the controls chose is what goes to the mouse: the first rate button is code 07.
  Click(page_->reportRateButton(0));
  ASSERT_TRUE(page_->WriteToDevice());
  EXPECT_EQ(link_.sent, (std::vector<std::string>{"03 10 04 01 20 40 80 A4 ", "03 12 00 07 10 01 01 85 05 02 01"}));
}

TEST_F(MSettingPageTest, DeviceStatusShowsInTheControls) {
  // Levels 1 and 3 on (800 and 3200 DPI), level 3 active, report code 01, sense step 0, x step
  // 10, y neutral, switch on.
  auto report = Report({{3, 0x02}, {4, 0x10}, {5, 0x00}, {6, 0x40}, {7, 0x00}, {8, 0x01},
                        {18, 0x85}, {19, 0x05}, {20, 0x00}, {21, 0x01}});
  ASSERT_TRUE(report);
  page_->ApplyDeviceStatus(*report);
  EXPECT_EQ(Model().activeLevel, 2);
  EXPECT_EQ(Model().levels[0].value, 800);
  EXPECT_FALSE(Model().levels[1].enabled);
  EXPECT_EQ(Model().levels[1].value, 3200);  // a disabled level keeps its value
  EXPECT_EQ(Model().reportRate, 2);
  EXPECT_EQ(Model().sensitivityX, 10);
  EXPECT_TRUE(Model().sensitivitySwitch);
  ExpectControlsShowModel(*page_);
}

TEST_F(MSettingPageTest, DeviceStatusFromAnotherThreadWaitsForThePageThread) {
  auto report = Report({{3, 0x01}, {4, 0x08}, {8, 0x07}, {18, 0x81}, {19, 0x81}, {20, 0x81}});
  ASSERT_TRUE(report);
  std::thread reader([&] { page_->ApplyDeviceStatus(*report); });
  reader.join();
  EXPECT_EQ(Model().reportRate, 3);  // nothing changed on the reader thread
  QCoreApplication::sendPostedEvents(page_.get(), QEvent::MetaCall);
  EXPECT_EQ(Model().reportRate, 0);
  EXPECT_EQ(Model().levels[0].value, 400);
  EXPECT_EQ(Model().sense, 4);
  ExpectControlsShowModel(*page_);
}

TEST_F(MSettingPageTest, PageOperationsGoThroughStoreDesktopAndDevice) {
  pointer_->SetDoubleClickTime(690);  // step 3
  pointer_->SetWheelScrollLines(8);   // step 7
  pointer_->SetMouseSpeed(13);        // step 6
  EXPECT_FALSE(page_->LoadFromStore());  // profile 2 has no row yet
  page_->ResetToDefaults();
  EXPECT_EQ(Model().doubleClick, 3);  // the desktop's own settings, read back
  EXPECT_EQ(Model().scrollSpeed, 7);
  EXPECT_EQ(Model().pointerSpeed, 6);
  ExpectControlsShowModel(*page_);

  Click(page_->levelSelectButton(3));
  Click(page_->levelToggle(0));
  Type(page_->levelEdit(3), "1650");
  Click(page_->reportRateButton(1));
  Click(page_->scrollByPageButton());
  page_->SaveToStore();
  EXPECT_EQ(Main2RowCount(), 1);
  EXPECT_EQ(pointer_->WheelScrollLines(), kz::settings::kWheelPageScroll);  // saving applies the desktop

  auto reloaded = MakePage();
  ASSERT_TRUE(reloaded->LoadFromStore());
  EXPECT_EQ(reloaded->model().Settings(), Model());
  ExpectControlsShowModel(*reloaded);
  EXPECT_EQ(reloaded->levelEdit(3)->text(), "1650");
  EXPECT_FALSE(reloaded->levelToggle(0)->isChecked());

  ASSERT_TRUE(reloaded->WriteToDevice());
  EXPECT_EQ(link_.sent, (std::vector<std::string>{"03 10 03 03 00 40 80 21 ", "03 12 00 03 10 01 01 00 00 00 00"}));
  link_.refuseFrom = 2;
  EXPECT_FALSE(reloaded->WriteToDevice());
}

}  // namespace
