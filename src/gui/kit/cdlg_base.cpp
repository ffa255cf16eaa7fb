// CDlgBase: skin, key filter, window dragging and the message-tip hooks.
#include "gui/kit/cdlg_base.h"

#include <QBitmap>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QWindow>

#include "gui/kit/cdlg_tip.h"
#include "gui/kit/theme.h"

namespace kzgui::kit {

CDlgBase::CDlgBase(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {
  // QDialog turns "no window type" into a dialog window; a page has to say Widget again.
  if ((flags & Qt::WindowType_Mask) == Qt::Widget) setWindowFlags(flags);
  // Qt widgets placed on a page without a look of their own still read well on the dark panel.
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Theme::Window());
  pal.setColor(QPalette::WindowText, Theme::Text());
  pal.setColor(QPalette::Text, Theme::EditText());
  pal.setColor(QPalette::Base, Theme::EditBackground());
  pal.setColor(QPalette::ButtonText, Theme::Text());
  setPalette(pal);
  setFont(Theme::Font(13));
}

QRegion CDlgBase::ShapeRegion(const QImage& shape) {
  if (shape.isNull()) return {};
  const QImage opaque = shape.convertToFormat(QImage::Format_RGB32);
  const QImage mask = opaque.createMaskFromColor(qRgb(255, 255, 255), Qt::MaskInColor);
  return QRegion(QBitmap::fromImage(mask));
}

void CDlgBase::setShape(const QPixmap& shape) {
  const QRegion region = ShapeRegion(shape.toImage());
  if (region.isEmpty())
    clearMask();
  else
    setMask(region);
}

void CDlgBase::setBackground(const QPixmap& background) {
  background_ = background;
  if (!background_.isNull()) {
    resize(background_.deviceIndependentSize().toSize());
    if (isWindow()) {
      if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    }
  }
  update();
}

void CDlgBase::PaintBackground(QPainter& painter) {
  if (!background_.isNull()) {
    painter.drawPixmap(0, 0, background_);
    return;
  }
  if (isWindow()) painter.fillRect(rect(), Theme::Window());
  Theme::PaintPanel(painter, rect());
}

void CDlgBase::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintBackground(painter);
}

void CDlgBase::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // QDialog would reject on Escape and press a default button on Enter; on a page either
      // would hide it.
      event->accept();
      return;
    default: QDialog::keyPressEvent(event);
  }
}

int CDlgBase::MessageTip(const QString& text) { return CDlgTIp::Show(this, text); }

void CDlgBase::CloseTip() { CDlgTIp::CloseOpen(); }

void CDlgBase::mousePressEvent(QMouseEvent* event) {
  if (!dragMovesWindow_ || event->button() != Qt::LeftButton) {
    QDialog::mousePressEvent(event);
    return;
  }
  event->accept();
  QWidget* win = window();
  // The window system moves the window itself where it can (required under Wayland).
  if (QWindow* handle = win->windowHandle(); handle && handle->startSystemMove()) return;
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - win->frameGeometry().topLeft();
}

void CDlgBase::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->buttons() & Qt::LeftButton)) {
    window()->move(event->globalPosition().toPoint() - dragOffset_);
    event->accept();
    return;
  }
  QDialog::mouseMoveEvent(event);
}

void CDlgBase::mouseReleaseEvent(QMouseEvent* event) {
  if (dragging_ && event->button() == Qt::LeftButton) {
    dragging_ = false;
    event->accept();
    return;
  }
  QDialog::mouseReleaseEvent(event);
}

}  // namespace kzgui::kit
