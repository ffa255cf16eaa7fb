#include "gui/honor/cdlg_achi2.h"

#include <QLabel>
#include <QPainter>
#include <QTimer>

#include "gui/kit/tr.h"
#include "gui/kit/medal.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/theme.h"
#include "honor/honor.h"

namespace kzgui {
namespace {

using kit::Theme;

QRect Ltrb(int left, int top, int right, int bottom) { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }

// Captions of the category buttons, in type order.
const char* const kCategoryCaptions[kz::honor::kHonorTypeCount] = {"积分", "签到", "点击", "滚轮", "在线时长",
                                                                   "分享", "邀请", "征服", "游戏"};
constexpr int kSlotTops[kz::honor::kHonorSlotCount] = {118, 187, 256, 327, 397};
constexpr int kMedalLeft = 248, kMedalSize = 50, kLabelLeft = 300, kLabelRight = 670;

QString ColourStyle(const kz::honor::Rgb& c) {
  return QString("color: rgb(%1, %2, %3); background: transparent;").arg(c.red).arg(c.green).arg(c.blue);
}

}  // namespace

CDlgAchi2::CDlgAchi2(kz::store::Database& db, UserSource user, TimeSource now, QWidget* parent)
    : kit::CDlgBase(parent, Qt::Widget), db_(db), user_(std::move(user)), now_(std::move(now)) {
  back_ = new kit::SkinButton(Tr("使用统计"), kit::SkinButton::Look::Action, this);
  back_->setObjectName(QString("button%1").arg(kBackCommand));
  back_->setGeometry(Ltrb(188, 17, 305, 40));
  connect(back_, &kit::SkinButton::clicked, this, [this] { RunCommand(kBackCommand); });

  // Nine buttons stacked from y 146 to y 457.
  for (int i = 0; i < kz::honor::kHonorTypeCount; ++i) {
    auto* button = new kit::SkinButton(Tr(kCategoryCaptions[i]), kit::SkinButton::Look::Tab, this);
    const int id = kFirstCategory + i;
    button->setObjectName(QString("button%1").arg(id));
    const int top = 146 + i * 311 / 9;
    button->setGeometry(Ltrb(20, top, 165, top + 32));
    connect(button, &kit::SkinButton::clicked, this, [this, id] { RunCommand(id); });
    categories_[static_cast<size_t>(i)] = button;
  }
  // Two picture buttons of the skin without actions.
  auto* up = new kit::SkinButton("▲", kit::SkinButton::Look::Small, this);
  up->setGeometry(Ltrb(773, 94, 795, 117));
  auto* down = new kit::SkinButton("▼", kit::SkinButton::Look::Small, this);
  down->setGeometry(Ltrb(771, 446, 795, 470));

  for (int k = 0; k < kz::honor::kHonorSlotCount; ++k) {
    SlotWidgets& slot = slots_[static_cast<size_t>(k)];
    const int top = kSlotTops[k];
    slot.medal = new kit::Medal(kit::Medal::Look::NextGoal, this);
    slot.medal->setObjectName(QString("medal%1").arg(k));
    slot.medal->setGeometry(kMedalLeft, top, kMedalSize, kMedalSize);
    slot.title = new QLabel(this);
    slot.title->setObjectName(QString("title%1").arg(k));
    slot.title->setFont(Theme::Font(20, true));
    slot.title->setGeometry(kLabelLeft, top, kLabelRight - kLabelLeft, kMedalSize / 2 + 2);
    slot.condition = new QLabel(this);
    slot.condition->setObjectName(QString("condition%1").arg(k));
    slot.condition->setFont(Theme::Font(13));
    slot.condition->setGeometry(kLabelLeft, top + kMedalSize / 2 + 2, kLabelRight - kLabelLeft, kMedalSize / 2 - 2);
    slot.medal->hide();
    slot.title->hide();
    slot.condition->hide();
  }

  checkTimer_ = new QTimer(this);
  checkTimer_->setInterval(kCheckIntervalMs);
  connect(checkTimer_, &QTimer::timeout, this, [this] { CheckHonors(); });
  checkTimer_->start();
}

kit::SkinButton* CDlgAchi2::CategoryButton(int type) const {
  return type >= 1 && type <= kz::honor::kHonorTypeCount ? categories_[static_cast<size_t>(type - 1)] : nullptr;
}

void CDlgAchi2::RunCommand(int id) {
  if (id == kBackCommand) {
    emit showStatisticsPage();
  } else if (id >= kFirstCategory && id < kFirstCategory + kz::honor::kHonorTypeCount) {
    ShowCategory(id - kFirstCategory + 1);
  }
  // Commands up to kLastCommand have no action.
}

int CDlgAchi2::CheckHonors() { return kz::honor::CheckAll(db_, user_(), now_()); }

void CDlgAchi2::ShowCategory(int type) {
  const kz::honor::CHonor* category = kz::honor::CategoryOf(type);
  if (!category) return;
  for (kit::SkinButton* button : categories_) button->setHighlighted(false);
  ShowSlots(category->Show(db_, user_()));
  CategoryButton(type)->setHighlighted(true);
  shown_ = type;
}

void CDlgAchi2::ShowSlots(const kz::honor::HonorSlots& content) {
  for (size_t k = 0; k < content.size(); ++k) {
    const kz::honor::HonorSlot& c = content[k];
    SlotWidgets& slot = slots_[k];
    // The table's text is "title-condition"; the translation keeps that form.
    const QString shown = c.condition.empty() ? Tr(c.title) : Tr(c.title + "-" + c.condition);
    const qsizetype dash = shown.indexOf('-');
    slot.title->setText(dash < 0 ? shown : shown.left(dash));
    slot.condition->setText(dash < 0 ? QString() : shown.mid(dash + 1));
    slot.title->setStyleSheet(ColourStyle(c.titleColour));
    slot.condition->setStyleSheet(ColourStyle(c.conditionColour));
    slot.medal->setLook(c.medal == kz::honor::Medal::kEarned ? kit::Medal::Look::Earned : kit::Medal::Look::NextGoal);
    slot.medal->setVisible(c.visible);
    slot.title->setVisible(c.visible);
    slot.condition->setVisible(c.visible);
  }
}

void CDlgAchi2::PaintBackground(QPainter& painter) {
  painter.fillRect(rect(), Theme::Panel());
  painter.setPen(Theme::Text());
  painter.setFont(Theme::Font(18, true));
  painter.drawText(QRect(20, 14, 160, 30), Qt::AlignLeft | Qt::AlignVCenter, Tr("荣誉成就"));
  // The frames of the category column and of the level list.
  Theme::PaintPanel(painter, QRectF(12, 134, 161, 332), true);
  Theme::PaintPanel(painter, QRectF(230, 94, 530, 376), true);
  painter.setPen(Theme::Border());
  for (int k = 1; k < kz::honor::kHonorSlotCount; ++k) {
    const int y = kSlotTops[k] - 8;
    painter.drawLine(QPointF(244, y), QPointF(748, y));
  }
}

}  // namespace kzgui
