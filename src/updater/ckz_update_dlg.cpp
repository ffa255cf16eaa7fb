#include "updater/ckz_update_dlg.h"
#include "gui/kit/tr.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <spawn.h>

#include "app/handoff.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/theme.h"
#include "update/install.h"

extern char** environ;

namespace kzgui {
namespace {

QRect Ltrb(int left, int top, int right, int bottom) { return QRect(left, top, right - left, bottom - top); }

// The window's outline: white where the window is cut away (its rounded corners).
QPixmap ShapePicture() {
  QPixmap shape(500, 318);
  shape.fill(Qt::white);
  QPainter painter(&shape);
  painter.setRenderHint(QPainter::Antialiasing, false);
  QPainterPath outline;
  outline.addRoundedRect(QRectF(0, 0, 500, 318), 14, 14);
  painter.fillPath(outline, Qt::black);
  return shape;
}

}  // namespace

Ckz_updateDlg::Ckz_updateDlg(Options options, QWidget* parent)
    : kit::CDlgBase(parent, Qt::Dialog | Qt::FramelessWindowHint), options_(std::move(options)) {
  if (!options_.startMainProgram) options_.startMainProgram = &Ckz_updateDlg::StartMainProgram;
  setWindowTitle("kz_update");
  setFixedSize(500, 318);
  setShape(ShapePicture());
  setDragMovesWindow(true);

  text_ = new QPlainTextEdit(this);
  text_->setObjectName("edit6000");
  text_->setReadOnly(true);
  text_->setGeometry(Ltrb(38, 79, 460, 240));
  text_->setFont(kit::Theme::Font(16));
  text_->setStyleSheet(QString("QPlainTextEdit { color: %1; background: %2; border: 1px solid %3; }")
                           .arg(kit::Theme::EditText().name(), kit::Theme::EditBackground().name(),
                                kit::Theme::Border().name()));
  text_->setPlainText(Tr("正在更新KzMouse..."));

  close_ = new kit::SkinButton(Tr("关闭"), kit::SkinButton::Look::Action, this);
  close_->setObjectName("button7800");
  close_->setGeometry(Ltrb(196, 257, 302, 297));
  corner_ = new kit::SkinButton("×", kit::SkinButton::Look::Small, this);
  corner_->setObjectName("button7801");
  corner_->setGeometry(Ltrb(457, 9, 485, 39));
  for (kit::SkinButton* button : {close_, corner_}) connect(button, &kit::SkinButton::clicked, this, &QDialog::accept);

  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  timer_ = new QTimer(this);
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, &Ckz_updateDlg::RunUpdate);
  // Closed before the timer fired: nothing is installed, even if the event loop goes on.
  connect(this, &QDialog::finished, timer_, &QTimer::stop);
}

kit::SkinButton* Ckz_updateDlg::Button(int id) const {
  return id == kCloseButton ? close_ : id == kCornerButton ? corner_ : nullptr;
}

bool Ckz_updateDlg::TimerActive() const { return timer_->isActive(); }

void Ckz_updateDlg::showEvent(QShowEvent* event) {
  kit::CDlgBase::showEvent(event);
  if (!started_) {
    started_ = true;
    timer_->start(kTimerMs);
  }
}

void Ckz_updateDlg::RunUpdate() {
  timer_->stop();
  // A copy that failed keeps "Update" for the next try; the program is started either way, so
  // the user is never left without it.
  kz::update::InstallUpdate(options_.sourceDir, options_.programDir);
  options_.startMainProgram(options_.programDir);
  accept();
}

void Ckz_updateDlg::StartMainProgram(const std::string& programDir) {
  std::string path = programDir + kz::app::kMainProgramName;
  char* argv[] = {path.data(), nullptr};
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  posix_spawn(&pid, path.c_str(), nullptr, &attr, argv, environ);  // a failure is silent
  posix_spawnattr_destroy(&attr);
}

void Ckz_updateDlg::PaintBackground(QPainter& painter) {
  using kit::Theme;
  painter.fillRect(rect(), Theme::Window());
  Theme::PaintPanel(painter, QRectF(4.5, 4.5, width() - 9, height() - 9));
  painter.setPen(Theme::Accent());
  painter.setFont(Theme::Font(20, true));
  painter.drawText(QRect(38, 26, 400, 40), Qt::AlignLeft | Qt::AlignVCenter, "KZ Mouse");
}

}  // namespace kzgui
