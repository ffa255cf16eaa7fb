#pragma once
// The updater's window: 500 x 318, frameless and shaped, the text "正在更新KzMouse..." in a
// white-on-black field, two buttons that close it. 800 ms after it is shown it copies the
// extracted update into the program folder, removes the update folder when all was copied,
// starts "kzMouse" from the program folder and closes. Closing it earlier installs nothing.
#include <QString>
#include <functional>
#include <string>

#include "gui/kit/cdlg_base.h"

class QPlainTextEdit;
class QTimer;

namespace kzgui {

namespace kit {
class SkinButton;
}

class Ckz_updateDlg : public kit::CDlgBase {
  Q_OBJECT
 public:
  static constexpr int kTimerMs = 800;
  static constexpr int kCloseButton = 7800;
  static constexpr int kCornerButton = 7801;

  struct Options {
    std::string sourceDir;   // data folder + "Update"
    std::string programDir;  // ends in "/"
    // Starts the main program; the default starts programDir + "kzMouse" in a session of its own.
    std::function<void(const std::string& programDir)> startMainProgram;
  };

  explicit Ckz_updateDlg(Options options, QWidget* parent = nullptr);

  kit::SkinButton* Button(int id) const;
  QPlainTextEdit* TextField() const { return text_; }
  bool TimerActive() const;
  // The timer's work (copy, delete, start, close); public so that tests need not wait for it.
  void RunUpdate();

  static void StartMainProgram(const std::string& programDir);

 protected:
  void showEvent(QShowEvent* event) override;
  void PaintBackground(QPainter& painter) override;

 private:
  Options options_;
  QPlainTextEdit* text_ = nullptr;
  kit::SkinButton* close_ = nullptr;
  kit::SkinButton* corner_ = nullptr;
  QTimer* timer_ = nullptr;
  bool started_ = false;
};

}  // namespace kzgui
