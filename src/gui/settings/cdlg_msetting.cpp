// Layout and bindings of the mouse settings page. Positions are fixed pixels of the 834 x 520 page
// area, like every page of the main window.
#include "gui/settings/cdlg_msetting.h"
#include "gui/kit/tr.h"

#include <QMetaObject>
#include <QPainter>
#include <QThread>
#include <string>

#include "device/status_report.h"
#include "gui/kit/dpi_slider.h"
#include "gui/kit/label.h"
#include "gui/kit/number_edit.h"
#include "gui/kit/radio_group.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/step_slider.h"
#include "gui/kit/theme.h"
#include "gui/kit/toggle_button.h"

namespace kzgui {
namespace {

using kit::Label;
using kit::SkinButton;
namespace ks = kz::settings;

constexpr QSize kPageSize(834, 520);
constexpr QRect kDpiSection(12, 12, 560, 236);
constexpr QRect kRateSection(12, 260, 560, 84);
constexpr QRect kDesktopSection(12, 356, 560, 152);
constexpr QRect kSensitivitySection(584, 12, 238, 236);
constexpr QRect kScrollSection(584, 260, 238, 248);

// Report-rate choices in page order; the mouse's codes 07, 03, 01, 00 divide 1000 reports per
// second by code + 1.
// Any number the edit fields can hold; the model decides which ones it takes.
constexpr int kAnyNumber = 999999999;

const char* const kReportRateCaptions[ks::kReportRateCount] = {"125Hz", "250Hz", "500Hz", "1000Hz"};

Label* AddTitle(QWidget* page, const QString& text, const QRect& section) {
  auto* title = new Label(text, Label::Style::Title, page);
  title->setGeometry(section.left() + 16, section.top() + 8, 200, 24);
  return title;
}

Label* AddCaption(QWidget* page, const QString& text, const QRect& rect, Label::Style style = Label::Style::Normal) {
  auto* caption = new Label(text, style, page);
  caption->setGeometry(rect);
  return caption;
}

}  // namespace

CDlgMSetting::CDlgMSetting(ks::MouseSettingsModel& model, ProfileKeySource key, QWidget* parent)
    : ModelPage(model, std::move(key), parent) {
  setFixedSize(kPageSize);
  BuildDpiSection();
  BuildReportRateSection();
  BuildSensitivitySection();
  BuildDesktopSection();
  BuildScrollSection();
  Refresh();
}

CDlgMSetting::~CDlgMSetting() = default;

void CDlgMSetting::BuildDpiSection() {
  AddTitle(this, Tr("DPI 设置"), kDpiSection);
  levelGroup_ = new kit::RadioGroup(this);
  for (int level = 0; level < ks::kDpiLevelCount; ++level) {
    LevelRow& row = levels_[static_cast<size_t>(level)];
    const int y = kDpiSection.top() + 44 + level * 44;
    const QString n = QString::number(level + 1);

    row.select = new SkinButton(QStringLiteral("DPI %1").arg(n), SkinButton::Look::Action, this);
    row.select->setGeometry(28, y, 76, 28);
    row.select->setObjectName("dpiSelect" + n);
    levelGroup_->add(row.select);

    row.toggle = new kit::ToggleButton(Tr("启用"), this);
    row.toggle->setGeometry(116, y + 3, 64, 22);
    row.toggle->setObjectName("dpiEnable" + n);
    connect(row.toggle, &QAbstractButton::clicked, this,
            [this, level](bool on) { Act([&] { model_.SetLevelEnabled(level, on); }); });

    row.minus = new SkinButton(QStringLiteral("−"), SkinButton::Look::Small, this);
    row.minus->setGeometry(188, y + 3, 22, 22);
    row.minus->setObjectName("dpiMinus" + n);
    row.minus->setAutoRepeat(true);
    connect(row.minus, &QAbstractButton::clicked, this, [this, level] { Act([&] { model_.StepLevel(level, -1); }); });

    row.slider = new kit::DpiSlider(this);
    row.slider->setGeometry(216, y + 2, 250, 24);
    row.slider->setObjectName("dpiSlider" + n);
    connect(row.slider, &QAbstractSlider::valueChanged, this,
            [this, level](int value) { Act([&] { model_.SetLevelValue(level, value); }); });

    row.plus = new SkinButton(QStringLiteral("+"), SkinButton::Look::Small, this);
    row.plus->setGeometry(472, y + 3, 22, 22);
    row.plus->setObjectName("dpiPlus" + n);
    row.plus->setAutoRepeat(true);
    connect(row.plus, &QAbstractButton::clicked, this, [this, level] { Act([&] { model_.StepLevel(level, +1); }); });

    // The field only keeps the typing to digits; the model decides what a typed number means
    // (too small: ignored, too large: the top), and Refresh() then shows what it took.
    row.edit = new kit::NumberEdit(0, kAnyNumber, this);
    row.edit->setGeometry(502, y + 2, 56, 24);
    row.edit->setObjectName("dpiEdit" + n);
    connect(row.edit, &kit::NumberEdit::valueEdited, this, [this, level](int value) {
      Act([&] { model_.SetLevelValueText(level, std::to_string(value)); });
    });
  }
  connect(levelGroup_, &kit::RadioGroup::clicked, this,
          [this](int level) { Act([&] { model_.SelectLevel(level); }); });
}

void CDlgMSetting::BuildReportRateSection() {
  AddTitle(this, Tr("回报率"), kRateSection);
  reportRateGroup_ = new kit::RadioGroup(this);
  for (int choice = 0; choice < ks::kReportRateCount; ++choice) {
    auto* button = new SkinButton(QString::fromLatin1(kReportRateCaptions[choice]), SkinButton::Look::Action, this);
    button->setGeometry(28 + choice * 130, kRateSection.top() + 42, 116, 30);
    button->setObjectName("reportRate" + QString::number(choice));
    reportRateGroup_->add(button);
    reportRates_[static_cast<size_t>(choice)] = button;
  }
  connect(reportRateGroup_, &kit::RadioGroup::clicked, this,
          [this](int choice) { Act([&] { model_.SetReportRate(choice); }); });
}

CDlgMSetting::StepRow& CDlgMSetting::AddStepRow(Step which, const QString& caption, const QRect& captionRect,
                                                const QRect& sliderRect) {
  StepRow& row = steps_[static_cast<size_t>(which)];
  AddCaption(this, caption, captionRect);
  row.slider = new kit::StepSlider(this);
  row.slider->setGeometry(sliderRect);
  row.value = AddCaption(this, QString(), QRect(sliderRect.right() + 8, sliderRect.top(), 30, sliderRect.height()),
                         Label::Style::Dim);
  connect(row.slider, &QAbstractSlider::valueChanged, this, [this, which](int step) {
    Act([&] {
      switch (which) {
        case Step::DoubleClick: model_.SetDoubleClick(step); break;
        case Step::Sense: model_.SetSense(step); break;
        case Step::SensitivityX: model_.SetSensitivityX(step); break;
        case Step::SensitivityY: model_.SetSensitivityY(step); break;
        case Step::ScrollSpeed: model_.SetScrollSpeed(step); break;
        case Step::PointerSpeed: model_.SetPointerSpeed(step); break;
      }
    });
  });
  return row;
}

void CDlgMSetting::BuildSensitivitySection() {
  const QRect& s = kSensitivitySection;
  AddTitle(this, Tr("灵敏度"), s);
  sensitivitySwitch_ = new kit::ToggleButton(Tr("灵敏度开关"), this);
  sensitivitySwitch_->setGeometry(s.left() + 16, s.top() + 40, 200, 22);
  sensitivitySwitch_->setObjectName("sensitivitySwitch");
  connect(sensitivitySwitch_, &QAbstractButton::clicked, this,
          [this](bool on) { Act([&] { model_.SetSensitivitySwitch(on); }); });

  const struct {
    Step step;
    const char* caption;
    const char* name;
  } rows[] = {{Step::Sense, "整体", "senseSlider"},
              {Step::SensitivityX, "X 轴", "sensitivityXSlider"},
              {Step::SensitivityY, "Y 轴", "sensitivityYSlider"}};
  int y = s.top() + 74;
  for (const auto& r : rows) {
    AddStepRow(r.step, Tr(r.caption), QRect(s.left() + 16, y, 120, 20),
               QRect(s.left() + 12, y + 22, 180, 24))
        .slider->setObjectName(QString::fromLatin1(r.name));
    y += 54;
  }
}

void CDlgMSetting::BuildDesktopSection() {
  const QRect& s = kDesktopSection;
  AddTitle(this, Tr("系统设置"), s);
  AddStepRow(Step::DoubleClick, Tr("双击速度"), QRect(s.left() + 16, s.top() + 44, 80, 24),
             QRect(s.left() + 100, s.top() + 44, 400, 24))
      .slider->setObjectName("doubleClickSlider");
  AddStepRow(Step::PointerSpeed, Tr("指针速度"), QRect(s.left() + 16, s.top() + 94, 80, 24),
             QRect(s.left() + 100, s.top() + 94, 400, 24))
      .slider->setObjectName("pointerSpeedSlider");
}

void CDlgMSetting::BuildScrollSection() {
  const QRect& s = kScrollSection;
  AddTitle(this, Tr("滚轮"), s);
  scrollGroup_ = new kit::RadioGroup(this);
  scrollByPage_ = new SkinButton(Tr("按页滚动"), SkinButton::Look::Action, this);
  scrollByPage_->setGeometry(s.left() + 16, s.top() + 42, 100, 30);
  scrollByPage_->setObjectName("scrollByPage");
  scrollByLines_ = new SkinButton(Tr("按行滚动"), SkinButton::Look::Action, this);
  scrollByLines_->setGeometry(s.left() + 124, s.top() + 42, 100, 30);
  scrollByLines_->setObjectName("scrollByLines");
  const int byPage = scrollGroup_->add(scrollByPage_);
  scrollGroup_->add(scrollByLines_);
  connect(scrollGroup_, &kit::RadioGroup::clicked, this,
          [this, byPage](int index) { Act([&] { model_.SetScrollByPage(index == byPage); }); });

  AddStepRow(Step::ScrollSpeed, Tr("滚轮速度"), QRect(s.left() + 16, s.top() + 90, 120, 20),
             QRect(s.left() + 12, s.top() + 112, 180, 24))
      .slider->setObjectName("scrollSpeedSlider");
}

void CDlgMSetting::Refresh() {
  refreshing_ = true;
  const ks::MouseSettings& s = model_.Settings();
  for (int level = 0; level < ks::kDpiLevelCount; ++level) {
    const ks::DpiLevel& value = s.levels[static_cast<size_t>(level)];
    LevelRow& row = levels_[static_cast<size_t>(level)];
    row.toggle->setChecked(value.enabled);
    row.slider->setValue(value.value);
    row.edit->setValue(value.value);
  }
  levelGroup_->setSelected(s.activeLevel);
  reportRateGroup_->setSelected(s.reportRate);
  sensitivitySwitch_->setChecked(s.sensitivitySwitch);
  scrollGroup_->setSelected(s.scrollByPage ? 0 : 1);
  const int stepValues[kStepCount] = {s.doubleClick,  s.sense,       s.sensitivityX,
                                      s.sensitivityY, s.scrollSpeed, s.pointerSpeed};
  for (int i = 0; i < kStepCount; ++i) {
    steps_[static_cast<size_t>(i)].slider->setValue(stepValues[i]);
    steps_[static_cast<size_t>(i)].value->setText(QString::number(stepValues[i]));
  }
  refreshing_ = false;
}

void CDlgMSetting::PaintBackground(QPainter& painter) {
  kit::CDlgBase::PaintBackground(painter);
  for (const QRect& section : {kDpiSection, kRateSection, kDesktopSection, kSensitivitySection, kScrollSection})
    kit::Theme::PaintPanel(painter, section, true);
}

}  // namespace kzgui
