// Every button look tells its states apart on screen, and every kit widget paints (also under the
// sanitizers) at the small fixed sizes the pages give it.
#include <gtest/gtest.h>

#include <QImage>

#include "gui/kit/cdlg_base.h"
#include "gui/kit/cdlg_tip.h"
#include "gui/kit/color_strip.h"
#include "gui/kit/color_swatch.h"
#include "gui/kit/dpi_slider.h"
#include "gui/kit/label.h"
#include "gui/kit/number_edit.h"
#include "gui/kit/read_only_edit.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/step_slider.h"
#include "gui/kit/toggle_button.h"

namespace kit = kzgui::kit;

namespace {

TEST(KitLookTest, ButtonStatesLookDifferent) {
  using Look = kit::SkinButton::Look;
  for (Look look : {Look::Tab, Look::Action, Look::Profile, Look::Small}) {
    kit::SkinButton button(look == Look::Small ? QStringLiteral("+") : QStringLiteral("配置 1"), look);
    button.resize(button.sizeHint());
    const QImage normal = button.grab().toImage();
    button.setHighlighted(true);
    const QImage highlighted = button.grab().toImage();
    button.setHighlighted(false);
    button.setDown(true);
    const QImage pressed = button.grab().toImage();
    button.setDown(false);
    button.setEnabled(false);
    const QImage disabled = button.grab().toImage();
    const int id = static_cast<int>(look);
    EXPECT_NE(normal, highlighted) << id;
    EXPECT_NE(normal, pressed) << id;
    EXPECT_NE(normal, disabled) << id;
    EXPECT_NE(highlighted, pressed) << id;
  }

  kit::ToggleButton toggle(QStringLiteral("开启"));
  toggle.resize(toggle.sizeHint());
  const QImage off = toggle.grab().toImage();
  toggle.setChecked(true);
  EXPECT_NE(off, toggle.grab().toImage());
}

TEST(KitLookTest, AWholePagePaints) {
  kit::CDlgBase page(nullptr, Qt::Widget);
  page.resize(834, 520);
  (new kit::Label(QStringLiteral("DPI 设置"), kit::Label::Style::Title, &page))->setGeometry(10, 10, 120, 24);
  (new kit::Label(QStringLiteral("灵敏度"), kit::Label::Style::Dim, &page))->setGeometry(10, 40, 120, 24);
  (new kit::DpiSlider(&page))->setGeometry(10, 70, 300, 24);
  auto* step = new kit::StepSlider(&page);
  step->setGeometry(10, 100, 200, 24);
  step->setEnabled(false);
  (new kit::NumberEdit(200, 8200, &page))->setGeometry(320, 70, 60, 24);
  (new kit::ReadOnlyEdit(QStringLiteral("1.17"), &page))->setGeometry(320, 100, 60, 24);
  (new kit::ColorStrip(&page))->setGeometry(10, 140, 300, 40);
  (new kit::ColorSwatch(Qt::red, &page))->setGeometry(320, 140, 24, 24);
  (new kit::ToggleButton(QString(), &page))->setGeometry(10, 190, 34, 22);
  // Degenerate sizes must not upset the painting code.
  (new kit::DpiSlider(&page))->setGeometry(10, 220, 0, 24);
  (new kit::ColorStrip(&page))->setGeometry(10, 250, 1, 1);
  (new kit::SkinButton(QStringLiteral("很长很长很长的按钮文字"), kit::SkinButton::Look::Small, &page))
      ->setGeometry(10, 280, 22, 22);
  const QImage shown = page.grab().toImage();
  EXPECT_EQ(shown.size(), QSize(834, 520));

  kit::CDlgTIp tip;
  tip.setText(QStringLiteral("失败，设备可能未接入电脑!"));
  EXPECT_FALSE(tip.grab().toImage().isNull());
}

}  // namespace
