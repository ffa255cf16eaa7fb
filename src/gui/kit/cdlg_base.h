#pragma once
// Base of every page, panel and dialog of the program. It gives them the kit's dark background (or
// a background picture, which also sets the size), an optional window shape, keeps Enter and
// Escape from closing a page, can let the window be dragged by any point that is not a control,
// and declares the page operations the main window walks through in this order.
// A page or panel inside another window is made with `Qt::Widget` as its flags; a window of its
// own keeps the default.
#include <QDialog>
#include <QPixmap>
#include <QPoint>

class QImage;
class QRegion;

namespace kzgui::kit {

class CDlgBase : public QDialog {
  Q_OBJECT
 public:
  explicit CDlgBase(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Dialog);

  // Every pixel of `shape` that is not pure white (255, 255, 255) belongs to the window. A null
  // or all-white shape removes the shape: an invisible window helps nobody.
  void setShape(const QPixmap& shape);
  static QRegion ShapeRegion(const QImage& shape);

  // Painted behind the children instead of the dark panel. A picture also sizes the widget to
  // itself and, for a window, centres it on its screen.
  void setBackground(const QPixmap& background);
  QPixmap background() const { return background_; }

  // A left press on the widget itself (not on a control) moves the whole window.
  void setDragMovesWindow(bool on) { dragMovesWindow_ = on; }

  // Page operations. Sends the page's settings to the mouse; false when the mouse refused.
  virtual bool WriteToDevice() { return true; }
  // Reads the page from the active profile; false when there is nothing stored, after which the
  // caller puts the defaults in with ResetToDefaults.
  virtual bool LoadFromStore() { return true; }
  virtual bool SaveToStore() { return true; }
  virtual void ResetToDefaults() {}
  // Shows the page's data again after someone else (the window's page walks) changed it.
  virtual void Refresh() {}

  // The program's message tip (see CDlgTIp): 1 for OK, 2 for close, 0 when a tip was already open
  // and now shows `text`.
  virtual int MessageTip(const QString& text);
  // Ends the open message tip as if OK were pressed.
  virtual void CloseTip();

 protected:
  virtual void PaintBackground(QPainter& painter);

  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPixmap background_;
  bool dragMovesWindow_ = false;
  bool dragging_ = false;
  QPoint dragOffset_;
};

}  // namespace kzgui::kit
