// Layout, toggle rules and key capture of the single-key dialog.
#include "gui/buttons/cdlg_single_key_set.h"
#include "gui/kit/tr.h"

#include <QKeyEvent>
#include <QPainter>

#include "gui/keys/virtual_keys.h"
#include "gui/kit/label.h"
#include "gui/kit/read_only_edit.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/theme.h"
#include "gui/kit/toggle_button.h"
#include "keys/key_codes.h"

namespace kzgui {
namespace {

namespace ks = kz::settings;
using kit::SkinButton;
using kit::ToggleButton;

constexpr int kWidth = 380;
constexpr int kHeight = 232;
constexpr int kTitleHeight = 32;

}  // namespace

CDlgSingleKeySet::CDlgSingleKeySet(QWidget* parent) : kit::CDlgBase(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName("singleKeyDialog");
  setFixedSize(kWidth, kHeight);
  setWindowTitle(Tr("单键设定"));
  setDragMovesWindow(true);
  // The dialog itself holds the keyboard focus: none of its controls takes it, so every key
  // reaches the capture below.
  setFocusPolicy(Qt::StrongFocus);

  auto* title = new kit::Label(Tr("单键设定"), kit::Label::Style::Title, this);
  title->setGeometry(14, 0, 200, kTitleHeight);
  close_ = new SkinButton(QStringLiteral("×"), SkinButton::Look::Small, this);
  close_->setGeometry(kWidth - 30, 5, 22, 22);
  close_->setObjectName("closeButton");
  connect(close_, &QAbstractButton::clicked, this, &QDialog::reject);

  auto* hint = new kit::Label(Tr("请按下要设定的按键"), kit::Label::Style::Dim, this);
  hint->setGeometry(20, kTitleHeight + 10, kWidth - 40, 20);
  keyField_ = new kit::ReadOnlyEdit(QString(), this);
  keyField_->setGeometry(20, kTitleHeight + 34, kWidth - 40, 28);
  keyField_->setObjectName("keyField");
  // A click on the field must not take the focus away from the capture.
  keyField_->setFocusPolicy(Qt::NoFocus);

  noModifier_ = new ToggleButton(Tr("无组合键"), this);
  noModifier_->setGeometry(20, kTitleHeight + 76, 120, 22);
  noModifier_->setObjectName("noModifierToggle");
  noModifier_->setChecked(true);
  connect(noModifier_, &QAbstractButton::clicked, this, [this](bool on) {
    if (!on) return;
    for (ToggleButton* toggle : modifierToggles_) toggle->setChecked(false);
  });

  const struct {
    const char* name;
    int x, width;
  } modifiers[] = {{"shiftToggle", 20, 76}, {"controlToggle", 104, 96}, {"winToggle", 208, 72}, {"altToggle", 288, 72}};
  for (size_t i = 0; i < modifierToggles_.size(); ++i) {
    auto* toggle = new ToggleButton(QString::fromLatin1(ks::ModifierName(ks::kModifierBits[i])), this);
    toggle->setGeometry(modifiers[i].x, kTitleHeight + 106, modifiers[i].width, 22);
    toggle->setObjectName(QString::fromLatin1(modifiers[i].name));
    connect(toggle, &QAbstractButton::clicked, this, [this] { noModifier_->setChecked(false); });
    modifierToggles_[i] = toggle;
  }

  ok_ = new SkinButton(Tr("确定"), SkinButton::Look::Action, this);
  ok_->setGeometry(kWidth / 2 - 110, kHeight - 30 - 16, 100, 30);
  ok_->setObjectName("okButton");
  connect(ok_, &QAbstractButton::clicked, this, &CDlgSingleKeySet::Confirm);
  cancel_ = new SkinButton(Tr("取消"), SkinButton::Look::Action, this);
  cancel_->setGeometry(kWidth / 2 + 10, kHeight - 30 - 16, 100, 30);
  cancel_->setObjectName("cancelButton");
  connect(cancel_, &QAbstractButton::clicked, this, &QDialog::reject);
}

QAbstractButton* CDlgSingleKeySet::control(int id) const {
  switch (id) {
    case kNoModifier: return noModifier_;
    case kShift:
    case kControl:
    case kWin:
    case kAlt: return modifierToggles_[static_cast<size_t>(id - kShift)];
    case kOk: return ok_;
    case kCancel: return cancel_;
    case kClose: return close_;
    default: return nullptr;
  }
}

bool CDlgSingleKeySet::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      // Accepting it turns a key that would trigger a shortcut into an ordinary key press.
      event->accept();
      return true;
    case QEvent::KeyPress:
      // QWidget::event would move the focus on Tab before keyPressEvent saw it.
      keyPressEvent(static_cast<QKeyEvent*>(event));
      return true;
    case QEvent::KeyRelease: keyReleaseEvent(static_cast<QKeyEvent*>(event)); return true;
    default: return kit::CDlgBase::event(event);
  }
}

void CDlgSingleKeySet::keyPressEvent(QKeyEvent* event) {
  // Also a key the program does not know replaces the previous one: the field going empty tells
  // the user that this key cannot be given, where keeping the old name would look as if it were.
  // A held key repeats its press, which takes the same key again.
  const int virtualKey = VirtualKeyOf(*event);
  TakeKey(virtualKey);
  // Shift held with A means Shift with A to whoever presses it: the modifiers held with an
  // ordinary key turn their toggles on. Toggles already on stay on, so picking a modifier first
  // and then pressing the key gives the same; a modifier pressed alone is the key itself.
  if (!ks::IsModifierKey(virtualKey)) {
    const Qt::KeyboardModifier held[] = {Qt::ShiftModifier, Qt::ControlModifier, Qt::MetaModifier, Qt::AltModifier};
    for (size_t i = 0; i < modifierToggles_.size(); ++i) {
      if (!event->modifiers().testFlag(held[i])) continue;
      modifierToggles_[i]->setChecked(true);
      noModifier_->setChecked(false);
    }
  }
  event->accept();
}

void CDlgSingleKeySet::keyReleaseEvent(QKeyEvent* event) { event->accept(); }

void CDlgSingleKeySet::showEvent(QShowEvent* event) {
  kit::CDlgBase::showEvent(event);
  activateWindow();
  setFocus(Qt::ActiveWindowFocusReason);
}

void CDlgSingleKeySet::TakeKey(int virtualKey) {
  key_ = virtualKey;
  keyField_->setText(QString::fromStdString(ks::KeyNameOf(virtualKey)));
}

void CDlgSingleKeySet::Confirm() {
  modifiers_ = 0;
  for (size_t i = 0; i < modifierToggles_.size(); ++i)
    if (modifierToggles_[i]->isChecked()) modifiers_ |= ks::kModifierBits[i];
  accept();
}

void CDlgSingleKeySet::PaintBackground(QPainter& painter) {
  kit::CDlgBase::PaintBackground(painter);
  painter.setPen(QPen(kit::Theme::Border(), 1));
  painter.drawLine(QPointF(1, kTitleHeight + 0.5), QPointF(width() - 1, kTitleHeight + 0.5));
}

}  // namespace kzgui
