#pragma once
// The statistics page (slot 5): the eight numbers of the usage counters, and the button (command
// 5000) that hides it and shows the honor page. The counters are a core model (UsageCounters)
// that the window's profile session loads, stores and resets; the page only shows them.
#include <array>

#include "gui/kit/cdlg_base.h"

class QLabel;

namespace kz::honor {
class UsageCounters;
}

namespace kzgui {

namespace kit {
class SkinButton;
}

class CDlgAchi : public kit::CDlgBase {
  Q_OBJECT
 public:
  static constexpr int kBackCommand = 5000;
  static constexpr int kFirstLabel = 1004;
  static constexpr int kLabelCount = 8;

  explicit CDlgAchi(kz::honor::UsageCounters& counters, QWidget* parent = nullptr);

  // The eight labels from the counters.
  void Refresh() override;
  void RunCommand(int id);

  // Label of control 1004 to 1011 (objectName "label1004" ...).
  QLabel* Number(int control) const;
  kit::SkinButton* BackButton() const { return back_; }

 signals:
  // Command 5000: the window hides this page and shows the honor page.
  void showHonorPage();

 protected:
  void showEvent(QShowEvent* event) override;
  void PaintBackground(QPainter& painter) override;

 private:
  kz::honor::UsageCounters& counters_;
  std::array<QLabel*, kLabelCount> numbers_{};
  kit::SkinButton* back_ = nullptr;
};

}  // namespace kzgui
