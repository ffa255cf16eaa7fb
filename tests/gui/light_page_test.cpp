// The lighting page as a binding: a click or edit reaches the model for the light being edited,
// and afterwards the controls show that light; the page operations go through the model to a
// test database and a recording device link.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "device/status_report.h"
#include "gui/kit/color_strip.h"
#include "gui/kit/color_swatch.h"
#include "gui/kit/number_edit.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/step_slider.h"
#include "gui/kit/toggle_button.h"
#include "gui/settings/cdlg_light.h"
#include "gui/settings/light_mouse_view.h"
#include "page_fixture.h"

namespace {

namespace ks = kz::settings;
using ks::ColourComponent;
using ks::LightingModel;
using ks::LightSetting;
using ks::MakeRgb;
using kzgui::CDlgLight;

void Click(QWidget* widget, QPoint at = {-1, -1}) {
  QTest::mouseClick(widget, Qt::LeftButton, {}, at.x() < 0 ? widget->rect().center() : at);
}

void ClickStep(kzgui::kit::StepSlider* slider, int step) {
  const QRect track = slider->trackRect();
  QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(track.left() + step * track.width() / 10, slider->height() / 2));
}

void Type(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->clear();
  QTest::keyClicks(edit, text);
  QTest::keyClick(edit, Qt::Key_Return);
}

QColor ToQColor(ks::Rgb rgb) { return QColor(ks::RedOf(rgb), ks::GreenOf(rgb), ks::BlueOf(rgb)); }

// A status report with the light bytes in the mouse's red, green, blue order.
std::optional<kz::device::StatusReport> LightReport(int breath, QColor light1, QColor light2, int speed) {
  std::array<unsigned char, kz::device::StatusReport::kLength> raw{};
  raw[0] = 0x03;
  raw[9] = static_cast<unsigned char>(breath);
  const QColor colours[] = {light1, light2};
  for (int i = 0; i < 2; ++i) {
    raw[static_cast<size_t>(10 + 3 * i)] = static_cast<unsigned char>(colours[i].red());
    raw[static_cast<size_t>(11 + 3 * i)] = static_cast<unsigned char>(colours[i].green());
    raw[static_cast<size_t>(12 + 3 * i)] = static_cast<unsigned char>(colours[i].blue());
  }
  raw[17] = static_cast<unsigned char>(speed);
  return kz::device::StatusReport::Decode(raw.data(), static_cast<int>(raw.size()));
}

class LightPageTest : public kztest::PageFixture<CDlgLight> {
 protected:
  LightPageTest() : PageFixture(3) {}

  std::unique_ptr<CDlgLight> MakePage() override {
    return std::make_unique<CDlgLight>(KeepModel<LightingModel>(db_, link_.Link()), KeySource());
  }
  LightingModel& Model() { return page_->model(); }

  // The controls against the light being edited (and the picture against both lights).
  static void ExpectControlsShowModel(CDlgLight& page) {
    LightingModel& model = page.model();
    const LightSetting& light = model.Edited();
    const int edited = model.EditedLight();
    for (int i = 0; i < ks::kLightCount; ++i) {
      EXPECT_EQ(page.lightButton(i)->isHighlighted(), i == edited) << "light " << i + 1;
      EXPECT_EQ(page.mouseView()->lightColour(i), ToQColor(ks::ShownColour(model.Light(i)))) << "light " << i + 1;
      EXPECT_EQ(page.mouseView()->lightOn(i), model.Light(i).on) << "light " << i + 1;
    }
    EXPECT_EQ(page.mouseView()->edited(), edited);
    const bool preset = light.colourType == ks::kPresetColour;
    EXPECT_EQ(page.presetColourButton()->isHighlighted(), preset);
    EXPECT_EQ(page.freeColourButton()->isHighlighted(), !preset);
    for (int p = 0; p < ks::kPresetCount; ++p)
      EXPECT_EQ(page.presetButton(p)->isChecked(), preset && p == light.preset) << "preset " << p;
    EXPECT_EQ(page.componentEdit(ColourComponent::Red)->text(), QString::number(ks::RedOf(light.rgb)));
    EXPECT_EQ(page.componentEdit(ColourComponent::Green)->text(), QString::number(ks::GreenOf(light.rgb)));
    EXPECT_EQ(page.componentEdit(ColourComponent::Blue)->text(), QString::number(ks::BlueOf(light.rgb)));
    EXPECT_EQ(page.preview()->color(), ToQColor(ks::ShownColour(light)));
    EXPECT_EQ(page.onToggle()->isChecked(), light.on);
    EXPECT_EQ(page.steadyButton()->isHighlighted(), !light.breath);
    EXPECT_EQ(page.breathingButton()->isHighlighted(), light.breath);
    EXPECT_EQ(page.speedSlider()->value(), model.Light(0).speed);
  }

};

TEST_F(LightPageTest, EveryControlHasANameTheMainWindowCanFind) {
  const char* names[] = {"light1",   "light2",    "mouseView", "presetColour", "freeColour", "preset0",
                         "preset15", "redMinus",  "redEdit",   "greenPlus",    "blueEdit",   "colourPreview",
                         "lightOn",  "steady",    "breathing", "colourStrip",  "speedSlider"};
  for (const char* name : names) EXPECT_NE(page_->findChild<QWidget*>(name), nullptr) << name;
  EXPECT_EQ(page_->size(), QSize(834, 520));
}

TEST_F(LightPageTest, TheSpeedSliderIsLightOnesWhicheverLightIsEdited) {
  Click(page_->lightButton(1));
  EXPECT_EQ(Model().EditedLight(), 1);
  ClickStep(page_->speedSlider(), 7);
  EXPECT_EQ(Model().Light(0).speed, 7);
  EXPECT_EQ(Model().Light(1).speed, 0);
  ExpectControlsShowModel(*page_);
  // Light 2 is still the one the other controls edit.
  Click(page_->steadyButton());
  EXPECT_FALSE(Model().Light(1).breath);
  EXPECT_TRUE(Model().Light(0).breath);
  ASSERT_TRUE(page_->WriteToDevice());
  EXPECT_EQ(link_.sent, std::vector<std::string>{"03 09 10 00 FF 91 00 FF 91 07 07"});

  // The picture chooses too.
  Click(page_->mouseView(), page_->mouseView()->lightRect(0).center().toPoint());
  EXPECT_EQ(Model().EditedLight(), 0);
  ExpectControlsShowModel(*page_);
}

TEST_F(LightPageTest, ColourControlsChangeTheEditedLightOnly) {
  Click(page_->lightButton(1));
  struct Case {
    const char* what;
    std::function<void()> act;
    int colourType, preset;
    ks::Rgb rgb;
  } cases[] = {
      {"free colour", [&] { Click(page_->freeColourButton()); }, ks::kFreeColour, 0, MakeRgb(255, 255, 0)},
      {"a preset", [&] { Click(page_->presetButton(7)); }, ks::kPresetColour, 7, MakeRgb(255, 255, 0)},
      {"red plus at the top", [&] { Click(page_->componentPlusButton(ColourComponent::Red)); }, ks::kPresetColour, 7,
       MakeRgb(255, 255, 0)},
      {"green minus", [&] { Click(page_->componentMinusButton(ColourComponent::Green)); }, ks::kPresetColour, 7,
       MakeRgb(255, 254, 0)},
      {"blue minus at the bottom", [&] { Click(page_->componentMinusButton(ColourComponent::Blue)); },
       ks::kPresetColour, 7, MakeRgb(255, 254, 0)},
      {"blue edit", [&] { Type(page_->componentEdit(ColourComponent::Blue), "56"); }, ks::kPresetColour, 7,
       MakeRgb(255, 254, 56)},
      {"green edit above the range is refused", [&] { Type(page_->componentEdit(ColourComponent::Green), "300"); },
       ks::kPresetColour, 7, MakeRgb(255, 254, 56)},
      {"red edit with leading zeros", [&] { Type(page_->componentEdit(ColourComponent::Red), "007"); },
       ks::kPresetColour, 7, MakeRgb(7, 254, 56)},
      {"red edit emptied", [&] { Type(page_->componentEdit(ColourComponent::Red), ""); }, ks::kPresetColour, 7,
       MakeRgb(7, 254, 56)},
      {"preset colour type back", [&] { Click(page_->presetColourButton()); }, ks::kPresetColour, 7,
       MakeRgb(7, 254, 56)},
      {"free colour again", [&] { Click(page_->freeColourButton()); }, ks::kFreeColour, 7, MakeRgb(7, 254, 56)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.act();
    EXPECT_EQ(Model().Light(1).colourType, c.colourType);
    EXPECT_EQ(Model().Light(1).preset, c.preset);
    EXPECT_EQ(Model().Light(1).rgb, c.rgb);
    ExpectControlsShowModel(*page_);
  }
  EXPECT_EQ(Model().Light(0), LightSetting{});
}

TEST_F(LightPageTest, AClickOnTheStripTakesThatPixelAsTheFreeColour) {
  kzgui::kit::ColorStrip* strip = page_->colourStrip();
  const QImage shown = strip->shownImage();
  ASSERT_FALSE(shown.isNull());
  Click(page_->freeColourButton());
  for (QPoint at : {QPoint(3, strip->height() / 2), QPoint(strip->width() / 3, 5),
                    QPoint(strip->width() - 2, strip->height() - 3)}) {
    Click(strip, at);
    const QColor pixel = shown.pixelColor(at);
    EXPECT_EQ(Model().Edited().rgb, MakeRgb(pixel.red(), pixel.green(), pixel.blue())) << at.x() << "," << at.y();
    EXPECT_EQ(page_->preview()->color(), pixel);
    ExpectControlsShowModel(*page_);
  }
  // With a preset in use the strip still sets the free colour, and the preset stays in use.
  Click(page_->presetColourButton());
  const QPoint at(strip->width() / 2, strip->height() / 2);
  Click(strip, at);
  const QColor pixel = shown.pixelColor(at);
  EXPECT_EQ(Model().Edited().rgb, MakeRgb(pixel.red(), pixel.green(), pixel.blue()));
  EXPECT_EQ(Model().Edited().colourType, ks::kPresetColour);
  ExpectControlsShowModel(*page_);
}

TEST_F(LightPageTest, OnAndEffectButtons) {
  Click(page_->onToggle());
  EXPECT_FALSE(Model().Edited().on);
  ExpectControlsShowModel(*page_);
  Click(page_->steadyButton());  // choosing an effect lights the light
  EXPECT_TRUE(Model().Edited().on);
  EXPECT_FALSE(Model().Edited().breath);
  ExpectControlsShowModel(*page_);
  Click(page_->breathingButton());
  EXPECT_TRUE(Model().Edited().breath);
  ExpectControlsShowModel(*page_);
}

TEST_F(LightPageTest, DeviceStatusShowsInTheControls) {
  Click(page_->lightButton(1));
  auto report = LightReport(0x10, QColor(0xFF, 0x00, 0x00), QColor(12, 34, 56), 4);
  ASSERT_TRUE(report);
  page_->ApplyDeviceStatus(*report);
  EXPECT_EQ(Model().Light(0).colourType, ks::kPresetColour);
  EXPECT_EQ(Model().Light(0).preset, 7);
  EXPECT_EQ(Model().Light(1).colourType, ks::kFreeColour);
  EXPECT_EQ(Model().Light(1).rgb, MakeRgb(12, 34, 56));
  EXPECT_FALSE(Model().Light(1).breath);
  EXPECT_EQ(Model().Light(0).speed, 4);
  ExpectControlsShowModel(*page_);

  // From the reader thread the report waits for the page's thread.
  auto later = LightReport(0x11, QColor(0, 0, 0), QColor(0, 0, 0), 9);
  ASSERT_TRUE(later);
  std::thread reader([&] { page_->ApplyDeviceStatus(*later); });
  reader.join();
  EXPECT_EQ(Model().Light(0).speed, 4);
  QCoreApplication::sendPostedEvents(page_.get(), QEvent::MetaCall);
  EXPECT_EQ(Model().Light(0).speed, 9);
  EXPECT_EQ(Model().Light(1).rgb, MakeRgb(0, 0, 0));
  EXPECT_TRUE(Model().Light(1).on);  // black is a colour, not off
  ExpectControlsShowModel(*page_);
}

TEST_F(LightPageTest, PageOperationsGoThroughStoreAndDevice) {
  EXPECT_FALSE(page_->LoadFromStore());  // profile 3 has no row yet
  Click(page_->lightButton(1));
  page_->ResetToDefaults();
  EXPECT_EQ(Model().EditedLight(), 0);
  ExpectControlsShowModel(*page_);

  Click(page_->freeColourButton());
  Type(page_->componentEdit(ColourComponent::Red), "12");
  Type(page_->componentEdit(ColourComponent::Green), "34");
  Type(page_->componentEdit(ColourComponent::Blue), "56");
  Click(page_->lightButton(1));
  Click(page_->presetButton(7));
  Click(page_->steadyButton());
  ClickStep(page_->speedSlider(), 3);
  page_->SaveToStore();
  EXPECT_EQ(Main2RowCount(), 1);

  auto reloaded = MakePage();
  ASSERT_TRUE(reloaded->LoadFromStore());
  EXPECT_EQ(reloaded->model().Lights(), Model().Lights());
  ExpectControlsShowModel(*reloaded);
  ASSERT_TRUE(reloaded->WriteToDevice());
  EXPECT_EQ(link_.sent, std::vector<std::string>{"03 09 10 0C 38 22 FF 00 00 03 03"});
  link_.refuseFrom = 1;
  EXPECT_FALSE(reloaded->WriteToDevice());
}

}  // namespace
