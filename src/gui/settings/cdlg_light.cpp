// Layout and bindings of the lighting page. Positions are fixed pixels of the 834 x 520 page area,
// like every page of the main window.
#include "gui/settings/cdlg_light.h"
#include "gui/kit/tr.h"

#include <QMetaObject>
#include <QPainter>
#include <QThread>
#include <string>

#include "device/status_report.h"
#include "gui/kit/color_strip.h"
#include "gui/kit/color_swatch.h"
#include "gui/kit/label.h"
#include "gui/kit/number_edit.h"
#include "gui/kit/radio_group.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/step_slider.h"
#include "gui/kit/theme.h"
#include "gui/kit/toggle_button.h"
#include "gui/settings/light_mouse_view.h"

namespace kzgui {
namespace {

using kit::Label;
using kit::SkinButton;
namespace ks = kz::settings;

constexpr QSize kPageSize(834, 520);
constexpr QRect kLightSection(12, 12, 260, 496);
constexpr QRect kColourSection(284, 12, 538, 300);
constexpr QRect kEffectSection(284, 324, 538, 184);

// Any number the edit fields can hold; the model decides which ones it takes.
constexpr int kAnyNumber = 999999999;

QColor ToQColor(ks::Rgb rgb) { return QColor(ks::RedOf(rgb), ks::GreenOf(rgb), ks::BlueOf(rgb)); }

Label* AddLabel(QWidget* page, const QString& text, const QRect& rect, Label::Style style = Label::Style::Normal) {
  auto* label = new Label(text, style, page);
  label->setGeometry(rect);
  return label;
}

Label* AddTitle(QWidget* page, const QString& text, const QRect& section) {
  return AddLabel(page, text, QRect(section.left() + 16, section.top() + 8, 200, 24), Label::Style::Title);
}

}  // namespace

CDlgLight::CDlgLight(ks::LightingModel& model, ProfileKeySource key, QWidget* parent)
    : ModelPage(model, std::move(key), parent) {
  setFixedSize(kPageSize);
  BuildLightSection();
  BuildColourSection();
  BuildEffectSection();
  Refresh();
}

CDlgLight::~CDlgLight() = default;

void CDlgLight::BuildLightSection() {
  const QRect& s = kLightSection;
  AddTitle(this, Tr("灯光"), s);
  lightGroup_ = new kit::RadioGroup(this);
  for (int light = 0; light < ks::kLightCount; ++light) {
    auto* button = new SkinButton(Tr("灯光 %1").arg(light + 1), SkinButton::Look::Action, this);
    button->setGeometry(s.left() + 16 + light * 118, s.top() + 40, 110, 30);
    button->setObjectName("light" + QString::number(light + 1));
    lightGroup_->add(button);
    lightButtons_[static_cast<size_t>(light)] = button;
  }
  connect(lightGroup_, &kit::RadioGroup::clicked, this, [this](int light) { Act([&] { model_.SelectLight(light); }); });

  mouseView_ = new LightMouseView(this);
  mouseView_->setGeometry(s.left() + 16, s.top() + 84, s.width() - 32, s.height() - 100);
  mouseView_->setObjectName("mouseView");
  connect(mouseView_, &LightMouseView::lightClicked, this,
          [this](int light) { Act([&] { model_.SelectLight(light); }); });
}

void CDlgLight::BuildColourSection() {
  const QRect& s = kColourSection;
  const int left = s.left() + 16;
  AddTitle(this, Tr("颜色"), s);

  typeGroup_ = new kit::RadioGroup(this);
  presetType_ = new SkinButton(Tr("预设颜色"), SkinButton::Look::Action, this);
  presetType_->setGeometry(left, s.top() + 40, 110, 30);
  presetType_->setObjectName("presetColour");
  freeType_ = new SkinButton(Tr("自定义颜色"), SkinButton::Look::Action, this);
  freeType_->setGeometry(left + 118, s.top() + 40, 110, 30);
  freeType_->setObjectName("freeColour");
  const int presetIndex = typeGroup_->add(presetType_);
  typeGroup_->add(freeType_);
  connect(typeGroup_, &kit::RadioGroup::clicked, this, [this, presetIndex](int index) {
    Act([&] { index == presetIndex ? model_.UsePresetColour() : model_.UseFreeColour(); });
  });

  presetGroup_ = new kit::RadioGroup(this);
  for (int preset = 0; preset < ks::kPresetCount; ++preset) {
    auto* swatch = new kit::ColorSwatch(ToQColor(ks::kPresetColours[preset]), this);
    swatch->setGeometry(left + (preset % 8) * 40, s.top() + 84 + (preset / 8) * 38, 32, 32);
    swatch->setObjectName("preset" + QString::number(preset));
    presetGroup_->add(swatch);
    presets_[static_cast<size_t>(preset)] = swatch;
  }
  connect(presetGroup_, &kit::RadioGroup::clicked, this,
          [this](int preset) { Act([&] { model_.ChoosePreset(preset); }); });

  preview_ = new kit::ColorSwatch(Qt::black, this);
  preview_->setClickable(false);
  preview_->setGeometry(s.right() - 15 - 70, s.top() + 84, 70, 70);
  preview_->setObjectName("colourPreview");

  const struct {
    ColourComponent component;
    const char* caption;
    const char* name;
  } rows[kComponents] = {{ColourComponent::Red, "红", "red"},
                         {ColourComponent::Green, "绿", "green"},
                         {ColourComponent::Blue, "蓝", "blue"}};
  const int y = s.top() + 170;
  for (int i = 0; i < kComponents; ++i) {
    const ColourComponent component = rows[i].component;
    const QString name = QString::fromLatin1(rows[i].name);
    ComponentRow& row = components_[static_cast<size_t>(component)];
    const int x = left + i * 170;
    AddLabel(this, Tr(rows[i].caption), QRect(x, y, 22, 24));
    row.minus = new SkinButton(QStringLiteral("−"), SkinButton::Look::Small, this);
    row.minus->setGeometry(x + 26, y + 1, 22, 22);
    row.minus->setObjectName(name + "Minus");
    row.minus->setAutoRepeat(true);
    connect(row.minus, &QAbstractButton::clicked, this,
            [this, component] { Act([&] { model_.StepComponent(component, -1); }); });
    // The field only keeps the typing to digits; the model decides which numbers are a colour
    // component, and Refresh() shows the component again when it refused one.
    row.edit = new kit::NumberEdit(0, kAnyNumber, this);
    row.edit->setGeometry(x + 54, y, 56, 24);
    row.edit->setObjectName(name + "Edit");
    connect(row.edit, &kit::NumberEdit::valueEdited, this, [this, component](int value) {
      Act([&] { model_.SetComponentText(component, std::to_string(value)); });
    });
    row.plus = new SkinButton(QStringLiteral("+"), SkinButton::Look::Small, this);
    row.plus->setGeometry(x + 116, y + 1, 22, 22);
    row.plus->setObjectName(name + "Plus");
    row.plus->setAutoRepeat(true);
    connect(row.plus, &QAbstractButton::clicked, this,
            [this, component] { Act([&] { model_.StepComponent(component, +1); }); });
  }

  strip_ = new kit::ColorStrip(this);
  strip_->setGeometry(left, s.top() + 210, s.width() - 32, 74);
  strip_->setObjectName("colourStrip");
  connect(strip_, &kit::ColorStrip::colorPicked, this, [this](const QColor& colour) {
    Act([&] { model_.SetFreeColour(ks::MakeRgb(colour.red(), colour.green(), colour.blue())); });
  });
}

void CDlgLight::BuildEffectSection() {
  const QRect& s = kEffectSection;
  const int left = s.left() + 16;
  AddTitle(this, Tr("效果"), s);

  onToggle_ = new kit::ToggleButton(Tr("开启"), this);
  onToggle_->setGeometry(left, s.top() + 48, 90, 22);
  onToggle_->setObjectName("lightOn");
  connect(onToggle_, &QAbstractButton::clicked, this, [this] { Act([&] { model_.ToggleOn(); }); });

  effectGroup_ = new kit::RadioGroup(this);
  steady_ = new SkinButton(Tr("常亮"), SkinButton::Look::Action, this);
  steady_->setGeometry(left + 118, s.top() + 44, 100, 30);
  steady_->setObjectName("steady");
  breathing_ = new SkinButton(Tr("呼吸"), SkinButton::Look::Action, this);
  breathing_->setGeometry(left + 226, s.top() + 44, 100, 30);
  breathing_->setObjectName("breathing");
  const int steadyIndex = effectGroup_->add(steady_);
  effectGroup_->add(breathing_);
  connect(effectGroup_, &kit::RadioGroup::clicked, this, [this, steadyIndex](int index) {
    Act([&] { index == steadyIndex ? model_.SetSteady() : model_.SetBreathing(); });
  });

  AddLabel(this, Tr("速度"), QRect(left, s.top() + 104, 50, 24));
  speed_ = new kit::StepSlider(this);
  speed_->setGeometry(left + 56, s.top() + 104, 400, 24);
  speed_->setObjectName("speedSlider");
  connect(speed_, &QAbstractSlider::valueChanged, this, [this](int speed) { Act([&] { model_.SetSpeed(speed); }); });
  speedValue_ = AddLabel(this, QString(), QRect(left + 464, s.top() + 104, 40, 24), Label::Style::Dim);
}

void CDlgLight::Refresh() {
  refreshing_ = true;
  const int edited = model_.EditedLight();
  const ks::LightSetting& light = model_.Edited();
  lightGroup_->setSelected(edited);
  for (int i = 0; i < ks::kLightCount; ++i)
    mouseView_->setLight(i, ToQColor(ks::ShownColour(model_.Light(i))), model_.Light(i).on);
  mouseView_->setEdited(edited);

  const bool preset = light.colourType == ks::kPresetColour;
  typeGroup_->setSelected(preset ? 0 : 1);
  // Without a preset colour in use no preset looks chosen; the stored one returns with the type.
  presetGroup_->setSelected(preset ? light.preset : -1);
  components_[static_cast<size_t>(ColourComponent::Red)].edit->setValue(ks::RedOf(light.rgb));
  components_[static_cast<size_t>(ColourComponent::Green)].edit->setValue(ks::GreenOf(light.rgb));
  components_[static_cast<size_t>(ColourComponent::Blue)].edit->setValue(ks::BlueOf(light.rgb));
  // The preview shows what the light will show; red, green and blue edit the free colour even
  // while a preset is in use, so their numbers may differ from it.
  preview_->setColor(ToQColor(ks::ShownColour(light)));

  onToggle_->setChecked(light.on);
  effectGroup_->setSelected(light.breath ? 1 : 0);
  speed_->setValue(model_.Speed());
  speedValue_->setText(QString::number(model_.Speed()));
  refreshing_ = false;
}

void CDlgLight::PaintBackground(QPainter& painter) {
  kit::CDlgBase::PaintBackground(painter);
  for (const QRect& section : {kLightSection, kColourSection, kEffectSection})
    kit::Theme::PaintPanel(painter, section, true);
}

}  // namespace kzgui
