#pragma once
// The modal message tip every page uses for notices and confirmations: the text in a framed box,
// an OK button that ends it with 1 and a close button that ends it with 2 (Escape counts as the
// close button, so a confirmation never proceeds by accident). Only one tip is open at a time in
// the program: asking for another while one is open replaces the open tip's text and returns 0 at
// once, and CloseOpen() lets another operation end the open tip as if OK were pressed.
// User-interface thread only.
#include <QDialog>

class QLabel;

namespace kzgui::kit {

class SkinButton;

class CDlgTIp : public QDialog {
  Q_OBJECT
 public:
  enum Result { kReplaced = 0, kOk = 1, kClosed = 2 };

  explicit CDlgTIp(QWidget* parent = nullptr);

  QString text() const;
  void setText(const QString& text);
  SkinButton* okButton() const { return ok_; }
  SkinButton* closeButton() const { return close_; }

  // Shows `text` modally over `parent` and returns kOk or kClosed; kReplaced when a tip was
  // already open (its text is now `text`), and also when the tip was destroyed with its parent
  // before an answer, since no answer is not a yes.
  static int Show(QWidget* parent, const QString& text);
  // Ends the open tip with kOk; false when none is open.
  static bool CloseOpen();
  // The open tip, or nullptr.
  static CDlgTIp* Current();

  void reject() override { done(kClosed); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QLabel* text_;
  SkinButton* ok_;
  SkinButton* close_;
};

}  // namespace kzgui::kit
