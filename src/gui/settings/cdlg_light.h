#pragma once
// The lighting page: colour, on/off and effect of the mouse's two lights and their one speed.
// The page only binds controls to a LightingModel, which owns both lights, which of them is being
// edited, the rules and the page operations: every control calls one model action, then
// Refresh() shows the model again.
//
// User-interface thread only, except ApplyDeviceStatus, which hands a report from another thread
// over to the page's thread.
#include <array>
#include <memory>

#include "gui/settings/model_page.h"
#include "settings/lighting_model.h"

namespace kz::device {
struct StatusReport;
}

namespace kzgui {

namespace kit {
class ColorStrip;
class ColorSwatch;
class Label;
class NumberEdit;
class RadioGroup;
class SkinButton;
class StepSlider;
class ToggleButton;
}  // namespace kit
class LightMouseView;

class CDlgLight : public ModelPage<kz::settings::LightingModel> {
  Q_OBJECT
 public:
  using ColourComponent = kz::settings::ColourComponent;

  // A model of the caller's (tests give one over their own database and link); nullptr makes the
  // default one.
  explicit CDlgLight(kz::settings::LightingModel& model, ProfileKeySource key, QWidget* parent = nullptr);
  ~CDlgLight() override;

  void Refresh() override;

  // The controls, for the main window's tests and for tests of this page. Lights are 0..1,
  // presets 0..15. Each control also carries an objectName (see the constructor).
  kit::SkinButton* lightButton(int light) const { return lightButtons_.at(static_cast<size_t>(light)); }
  LightMouseView* mouseView() const { return mouseView_; }
  kit::SkinButton* presetColourButton() const { return presetType_; }
  kit::SkinButton* freeColourButton() const { return freeType_; }
  kit::ColorSwatch* presetButton(int preset) const { return presets_.at(static_cast<size_t>(preset)); }
  kit::SkinButton* componentPlusButton(ColourComponent c) const { return Row(c).plus; }
  kit::SkinButton* componentMinusButton(ColourComponent c) const { return Row(c).minus; }
  kit::NumberEdit* componentEdit(ColourComponent c) const { return Row(c).edit; }
  kit::ColorSwatch* preview() const { return preview_; }
  kit::ToggleButton* onToggle() const { return onToggle_; }
  kit::SkinButton* steadyButton() const { return steady_; }
  kit::SkinButton* breathingButton() const { return breathing_; }
  kit::ColorStrip* colourStrip() const { return strip_; }
  kit::StepSlider* speedSlider() const { return speed_; }

 protected:
  void PaintBackground(QPainter& painter) override;

 private:
  struct ComponentRow {
    kit::SkinButton* minus = nullptr;
    kit::NumberEdit* edit = nullptr;
    kit::SkinButton* plus = nullptr;
  };
  static constexpr int kComponents = 3;

  const ComponentRow& Row(ColourComponent c) const { return components_.at(static_cast<size_t>(c)); }
  void BuildLightSection();
  void BuildColourSection();
  void BuildEffectSection();

  kit::RadioGroup* lightGroup_ = nullptr;
  std::array<kit::SkinButton*, kz::settings::kLightCount> lightButtons_{};
  LightMouseView* mouseView_ = nullptr;
  kit::RadioGroup* typeGroup_ = nullptr;
  kit::SkinButton* presetType_ = nullptr;
  kit::SkinButton* freeType_ = nullptr;
  kit::RadioGroup* presetGroup_ = nullptr;
  std::array<kit::ColorSwatch*, kz::settings::kPresetCount> presets_{};
  std::array<ComponentRow, kComponents> components_{};
  kit::ColorSwatch* preview_ = nullptr;
  kit::ColorStrip* strip_ = nullptr;
  kit::ToggleButton* onToggle_ = nullptr;
  kit::RadioGroup* effectGroup_ = nullptr;
  kit::SkinButton* steady_ = nullptr;
  kit::SkinButton* breathing_ = nullptr;
  kit::StepSlider* speed_ = nullptr;
  kit::Label* speedValue_ = nullptr;
};

}  // namespace kzgui
