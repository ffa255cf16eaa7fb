#pragma once
// The mouse settings page: DPI levels, report rate, sensitivities and the desktop pointer settings
// of the active profile. The page only binds controls to a MouseSettingsModel, which owns the
// state, the rules and the page operations: every control calls one model action, then Refresh()
// shows the whole model again.
//
// User-interface thread only, except ApplyDeviceStatus, which hands a report from another thread
// over to the page's thread.
#include <array>
#include <memory>

#include "gui/settings/model_page.h"
#include "settings/mouse_settings_model.h"

namespace kz::device {
struct StatusReport;
}

namespace kzgui {

namespace kit {
class DpiSlider;
class Label;
class NumberEdit;
class RadioGroup;
class SkinButton;
class StepSlider;
class ToggleButton;
}  // namespace kit

class CDlgMSetting : public ModelPage<kz::settings::MouseSettingsModel> {
  Q_OBJECT
 public:
  // The six 11-step sliders, in page order.
  enum class Step { DoubleClick, Sense, SensitivityX, SensitivityY, ScrollSpeed, PointerSpeed };
  static constexpr int kStepCount = 6;

  // A model of the caller's (tests give one over their own database, pointer settings and link);
  // nullptr makes the default one.
  explicit CDlgMSetting(kz::settings::MouseSettingsModel& model, ProfileKeySource key, QWidget* parent = nullptr);
  ~CDlgMSetting() override;

  void Refresh() override;

  // The controls, for the main window's tests and for tests of this page. Levels are 0..3,
  // report-rate choices 0..3. Each control also carries an objectName (see the constructor).
  kit::SkinButton* levelSelectButton(int level) const { return levels_.at(level).select; }
  kit::ToggleButton* levelToggle(int level) const { return levels_.at(level).toggle; }
  kit::SkinButton* levelPlusButton(int level) const { return levels_.at(level).plus; }
  kit::SkinButton* levelMinusButton(int level) const { return levels_.at(level).minus; }
  kit::DpiSlider* levelSlider(int level) const { return levels_.at(level).slider; }
  kit::NumberEdit* levelEdit(int level) const { return levels_.at(level).edit; }
  kit::ToggleButton* sensitivitySwitch() const { return sensitivitySwitch_; }
  kit::SkinButton* scrollByPageButton() const { return scrollByPage_; }
  kit::SkinButton* scrollByLinesButton() const { return scrollByLines_; }
  kit::SkinButton* reportRateButton(int choice) const { return reportRates_.at(choice); }
  kit::StepSlider* stepSlider(Step which) const { return steps_.at(static_cast<size_t>(which)).slider; }

 protected:
  void PaintBackground(QPainter& painter) override;

 private:
  struct LevelRow {
    kit::SkinButton* select = nullptr;
    kit::ToggleButton* toggle = nullptr;
    kit::SkinButton* minus = nullptr;
    kit::DpiSlider* slider = nullptr;
    kit::SkinButton* plus = nullptr;
    kit::NumberEdit* edit = nullptr;
  };
  struct StepRow {
    kit::StepSlider* slider = nullptr;
    kit::Label* value = nullptr;
  };

  void BuildDpiSection();
  void BuildReportRateSection();
  void BuildSensitivitySection();
  void BuildDesktopSection();
  void BuildScrollSection();
  StepRow& AddStepRow(Step which, const QString& caption, const QRect& captionRect, const QRect& sliderRect);

  std::array<LevelRow, kz::settings::kDpiLevelCount> levels_{};
  kit::RadioGroup* levelGroup_ = nullptr;
  kit::RadioGroup* reportRateGroup_ = nullptr;
  std::array<kit::SkinButton*, kz::settings::kReportRateCount> reportRates_{};
  kit::ToggleButton* sensitivitySwitch_ = nullptr;
  kit::RadioGroup* scrollGroup_ = nullptr;
  kit::SkinButton* scrollByPage_ = nullptr;
  kit::SkinButton* scrollByLines_ = nullptr;
  std::array<StepRow, kStepCount> steps_{};
};

}  // namespace kzgui
