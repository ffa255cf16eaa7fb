// The message tip's layout and the one-open-tip rule.
#include "gui/kit/cdlg_tip.h"
#include "gui/kit/tr.h"

#include <QLabel>
#include <QPainter>
#include <QPointer>

#include "gui/kit/label.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/theme.h"

namespace kzgui::kit {
namespace {

constexpr int kWidth = 360;
constexpr int kHeight = 190;
constexpr int kTitleHeight = 32;
const QRect kTextBox(20, kTitleHeight + 12, kWidth - 40, 86);

QPointer<CDlgTIp>& OpenTip() {
  static QPointer<CDlgTIp> tip;
  return tip;
}

}  // namespace

CDlgTIp::CDlgTIp(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setFixedSize(kWidth, kHeight);
  setWindowTitle(QStringLiteral("KZ Mouse"));

  auto* title = new Label(Tr("提示"), Label::Style::Title, this);
  title->setGeometry(14, 0, 200, kTitleHeight);

  close_ = new SkinButton(QStringLiteral("×"), SkinButton::Look::Small, this);
  close_->setGeometry(kWidth - 30, 5, 22, 22);
  connect(close_, &QAbstractButton::clicked, this, [this] { done(kClosed); });

  text_ = new Label(QString(), Label::Style::Normal, this);
  text_->setGeometry(kTextBox.adjusted(10, 6, -10, -6));
  text_->setAlignment(Qt::AlignCenter);
  text_->setWordWrap(true);
  text_->setTextFormat(Qt::PlainText);  // texts may carry a service's words; never markup
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  ok_ = new SkinButton(Tr("确定"), SkinButton::Look::Action, this);
  ok_->setGeometry((kWidth - 100) / 2, kHeight - 30 - 14, 100, 30);
  connect(ok_, &QAbstractButton::clicked, this, [this] { done(kOk); });
}

QString CDlgTIp::text() const { return text_->text(); }

void CDlgTIp::setText(const QString& text) { text_->setText(Tr(text)); }

int CDlgTIp::Show(QWidget* parent, const QString& text) {
  QPointer<CDlgTIp>& open = OpenTip();
  if (open) {
    open->setText(text);
    return kReplaced;
  }
  QPointer<CDlgTIp> tip = new CDlgTIp(parent);
  tip->setText(text);
  open = tip;
  const int result = tip->exec();
  if (!tip) return kReplaced;  // destroyed with its parent while open
  delete tip.data();
  return result;
}

bool CDlgTIp::CloseOpen() {
  QPointer<CDlgTIp>& open = OpenTip();
  if (!open) return false;
  open->done(kOk);
  open = nullptr;
  return true;
}

CDlgTIp* CDlgTIp::Current() { return OpenTip().data(); }

void CDlgTIp::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Theme::Window());
  Theme::PaintPanel(painter, rect(), true);
  painter.setPen(QPen(Theme::Border(), 1));
  painter.drawLine(QPointF(1, kTitleHeight + 0.5), QPointF(width() - 1, kTitleHeight + 0.5));
  painter.setPen(QPen(Theme::BorderLight(), 1));
  painter.setBrush(Theme::EditBackground());
  painter.drawRect(QRectF(kTextBox).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace kzgui::kit
