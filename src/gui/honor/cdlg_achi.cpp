#include "gui/honor/cdlg_achi.h"

#include <QLabel>
#include <QPainter>

#include "gui/kit/tr.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/theme.h"
#include "honor/usage_counters.h"

namespace kzgui {
namespace {

using kit::Theme;

QRect Ltrb(int left, int top, int right, int bottom) { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }

// The page's background picture: a card per number with its caption, two rows of four.
const char* const kCaptions[CDlgAchi::kLabelCount] = {"左键点击", "右键点击", "中键点击", "点击总数",
                                                      "滚轮向前（圈）", "滚轮向后（圈）", "滚轮总数（圈）", "移动距离（米）"};
QRect CardRect(int index) {
  const int column = index % 4, row = index / 4;
  return QRect(40 + column * 192, 110 + row * 190, 176, 160);
}

}  // namespace

CDlgAchi::CDlgAchi(kz::honor::UsageCounters& counters, QWidget* parent)
    : kit::CDlgBase(parent, Qt::Widget), counters_(counters) {
  back_ = new kit::SkinButton(Tr("荣誉成就"), kit::SkinButton::Look::Action, this);
  back_->setObjectName(QString("button%1").arg(kBackCommand));
  back_->setGeometry(Ltrb(18, 27, 130, 45));
  connect(back_, &kit::SkinButton::clicked, this, [this] { RunCommand(kBackCommand); });
  for (int i = 0; i < kLabelCount; ++i) {
    auto* label = new QLabel("0", this);
    label->setObjectName(QString("label%1").arg(kFirstLabel + i));
    label->setAlignment(Qt::AlignCenter);
    label->setFont(Theme::Font(30, true));
    label->setStyleSheet("color: rgb(18, 207, 255); background: transparent;");
    const QRect card = CardRect(i);
    label->setGeometry(card.left() + 6, card.top() + 56, card.width() - 12, 60);
    numbers_[static_cast<size_t>(i)] = label;
  }
  Refresh();
}

QLabel* CDlgAchi::Number(int control) const {
  const int index = control - kFirstLabel;
  return index >= 0 && index < kLabelCount ? numbers_[static_cast<size_t>(index)] : nullptr;
}

void CDlgAchi::Refresh() {
  const kz::honor::CounterFigures f = counters_.Figures();
  const long long values[kLabelCount] = {f.left,         f.right,          f.middle,          f.clicksTotal,
                                         f.wheelTurnsUp, f.wheelTurnsDown, f.wheelTurnsTotal, f.distanceMetres};
  for (int i = 0; i < kLabelCount; ++i) numbers_[static_cast<size_t>(i)]->setText(QString::number(values[i]));
}

void CDlgAchi::RunCommand(int id) {
  if (id == kBackCommand) emit showHonorPage();
}

void CDlgAchi::showEvent(QShowEvent* event) {
  Refresh();
  kit::CDlgBase::showEvent(event);
}

void CDlgAchi::PaintBackground(QPainter& painter) {
  painter.fillRect(rect(), Theme::Panel());
  painter.setPen(Theme::Text());
  painter.setFont(Theme::Font(18, true));
  painter.drawText(QRect(150, 20, 500, 30), Qt::AlignLeft | Qt::AlignVCenter, Tr("使用统计"));
  for (int i = 0; i < kLabelCount; ++i) {
    const QRect card = CardRect(i);
    Theme::PaintPanel(painter, QRectF(card), true);
    Theme::PaintCaption(painter, QRectF(card.left(), card.top() + 14, card.width(), 28), Tr(kCaptions[i]), 14,
                        Theme::TextDim());
  }
}

}  // namespace kzgui
