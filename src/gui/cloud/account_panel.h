#pragma once
// What the two account panels share: their place in the main window and their outline. The panel
// area (675, 54 to 993, 135 of the window) reaches down over the second row of tabs, whose last
// tab ends at x 847; a panel keeps to the part beside the tabs there, so they stay clickable.
#include <QRect>

#include "gui/kit/cdlg_base.h"

namespace kzgui {

class AccountPanel : public kit::CDlgBase {
  Q_OBJECT
 public:
  // The panel area in window pixels (left, top, right, bottom 675, 54, 993, 135).
  static QRect Area();
  // The part of the panel over the tab row that stays the tabs': x below this, y from kTabRowTop.
  static constexpr int kTabsRight = 847 - 675 + 4;
  static constexpr int kTabRowTop = 103 - 54 - 4;

  explicit AccountPanel(QWidget* parent);

 protected:
  void PaintBackground(QPainter& painter) override;
};

// A rectangle given as left, top, right, bottom (exclusive right and bottom).
QRect PanelRect(int left, int top, int right, int bottom);

}  // namespace kzgui
