// Layout and recording of the macro editing page. Positions are fixed pixels of the page, which
// the manager places at (264, 88).
#include "gui/macro/cdlg_macro_set.h"
#include "gui/kit/tr.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeWidget>
#include <string>

#include "gui/keys/virtual_keys.h"
#include "gui/kit/number_edit.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/theme.h"
#include "gui/kit/toggle_button.h"
#include "macro/macro_event.h"

namespace kzgui {
namespace {

namespace km = kz::macro;
using kit::SkinButton;
using kit::ToggleButton;

// Any number the field can hold: the open macro decides which counts it takes and the page tells
// the user why it refused one.
constexpr int kAnyNumber = 999999999;

QString ListStyleSheet() {
  return QStringLiteral("QTreeWidget { background: %1; color: %2; border: 1px solid %3; }")
      .arg(kit::Theme::EditBackground().name(), kit::Theme::EditText().name(), kit::Theme::BorderLight().name());
}

}  // namespace

CDlgMacroSet::CDlgMacroSet(kz::store::Database& db, Clock clock, QWidget* parent)
    : kit::CDlgBase(parent, Qt::Widget), open_(db), clock_(clock), recorder_(std::move(clock)) {
  setObjectName("macroSetPage");
  setFixedSize(kWidth, kHeight);
  // A click on the page's background gives the keyboard back to the recording.
  setFocusPolicy(Qt::ClickFocus);

  events_ = new QTreeWidget(this);
  events_->setObjectName("macroEvents");
  events_->setGeometry(2, 23, 247, 408);
  events_->setColumnCount(2);
  events_->setHeaderHidden(true);
  events_->header()->setStretchLastSection(false);
  events_->setColumnWidth(0, 80);
  events_->setColumnWidth(1, 147);
  events_->setRootIsDecorated(false);
  events_->setIndentation(0);
  events_->setUniformRowHeights(true);
  events_->setSelectionMode(QAbstractItemView::NoSelection);
  events_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The list only shows: keys pressed while recording must reach the page, not the list.
  events_->setFocusPolicy(Qt::NoFocus);
  events_->setStyleSheet(ListStyleSheet());

  record_ = new SkinButton(Tr("开始录制"), SkinButton::Look::Action, this);
  record_->setGeometry(277, 56, 165, 35);
  connect(record_, &QAbstractButton::clicked, this, [this] { Recording() ? StopRecording() : StartRecording(); });

  delay_ = new ToggleButton(Tr("记录延时"), this);
  delay_->setGeometry(284, 109, 200, 29);
  connect(delay_, &QAbstractButton::clicked, this, [this](bool on) { recorder_.SetDelayOn(on); });

  repeat_ = new ToggleButton(Tr("重复"), this);
  repeat_->setGeometry(284, 237, 76, 28);
  connect(repeat_, &QAbstractButton::clicked, this, [this](bool on) { open_.SetRepeatOn(on); });

  repeatCount_ = new kit::NumberEdit(0, kAnyNumber, this);
  repeatCount_->setObjectName("repeatCount");
  repeatCount_->setGeometry(326, 275, 45, 16);
  connect(repeatCount_, &kit::NumberEdit::valueEdited, this, &CDlgMacroSet::RepeatCountEdited);

  for (int id : {kRecord, kDelay, kRepeat}) Button(id)->setObjectName("button" + QString::number(id));
  Refresh();
}

CDlgMacroSet::~CDlgMacroSet() { open_.Save(); }

QAbstractButton* CDlgMacroSet::Button(int id) const {
  switch (id) {
    case kRecord: return record_;
    case kDelay: return delay_;
    case kRepeat: return repeat_;
    default: return nullptr;
  }
}

void CDlgMacroSet::LoadMacro(long long macroId, long long setId, const std::string& setGuid) {
  open_.Load(macroId, setId, setGuid);
  Refresh();
}

void CDlgMacroSet::CloseMacro() {
  recorder_.Stop();
  open_.Load(0, 0, {});
  // Nothing is open, so these only reset what the fields show; no row takes them.
  open_.SetRepeatCount(1);
  open_.SetRepeatOn(false);
  Refresh();
}

void CDlgMacroSet::StartRecording() {
  if (open_.MacroId() == 0) {
    MessageTip(QString::fromUtf8(km::kPickMacroSetFirst));
    return;
  }
  recorder_.Start(open_.MutableEvents());
  stampOrigin_.reset();
  setFocus(Qt::OtherFocusReason);
  Refresh();
}

void CDlgMacroSet::StopRecording() {
  recorder_.Stop();
  Refresh();
}

bool CDlgMacroSet::event(QEvent* event) {
  if (recorder_.Recording() && hasFocus()) {
    switch (event->type()) {
      case QEvent::ShortcutOverride:
        // Taken as a key for the macro, not as a shortcut of the window.
        event->accept();
        return true;
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
        // Handled here rather than in keyPressEvent: QWidget::event would turn Tab into a focus
        // move first, and a dialog around the page would close on Escape or press its default
        // button on Enter.
        Capture(*static_cast<QKeyEvent*>(event));
        event->accept();
        return true;
      default: break;
    }
  }
  return kit::CDlgBase::event(event);
}

void CDlgMacroSet::Capture(const QKeyEvent& event) {
  const bool press = event.type() == QEvent::KeyPress;
  // A held key arrives as repeated presses and, on some window systems, a release before each
  // repeat; the macro gets the presses and the one real release, as the key did.
  if (!press && event.isAutoRepeat()) return;
  const int key = VirtualKeyOf(event);
  // Code 0 would read as a delay row; a key the program cannot name cannot be played either.
  if (key <= 0) return;
  if (!recorder_.Capture(open_.MutableEvents(), press ? kVirtualKeyDown : kVirtualKeyUp, key, EventTime(event))) return;
  ShowEvents();
}

std::optional<std::chrono::steady_clock::time_point> CDlgMacroSet::EventTime(const QKeyEvent& event) {
  if (event.timestamp() == 0) return std::nullopt;
  const auto stamp = std::chrono::milliseconds(event.timestamp());
  if (!stampOrigin_) stampOrigin_ = clock_().time_since_epoch() - stamp;
  return std::chrono::steady_clock::time_point(*stampOrigin_ + stamp);
}

void CDlgMacroSet::RepeatCountEdited(int count) {
  if (open_.SetRepeatCountText(std::to_string(count))) return;
  // The old count goes back before the tip opens: the field loses the focus to the tip and reports
  // again, and then it holds a count that is taken.
  repeatCount_->setValue(open_.RepeatCount());
  MessageTip(QString::fromUtf8(km::kRepeatRangeMessage));
}

void CDlgMacroSet::ShowEvents() {
  events_->clear();
  QList<QTreeWidgetItem*> rows;
  for (const km::MacroEvent& event : open_.Events()) {
    rows.append(new QTreeWidgetItem(QStringList{QString::fromStdString(km::MacroEventTypeText(event)),
                                                QString::fromStdString(km::MacroEventValueText(event))}));
  }
  events_->addTopLevelItems(rows);
  events_->scrollToBottom();
}

void CDlgMacroSet::Refresh() {
  const bool recording = recorder_.Recording();
  record_->setText(recording ? Tr("停止录制") : Tr("开始录制"));
  record_->setHighlighted(recording);
  delay_->setChecked(recorder_.DelayOn());
  repeat_->setChecked(open_.RepeatOn());
  repeatCount_->setValue(open_.RepeatCount());
  ShowEvents();
}

}  // namespace kzgui
