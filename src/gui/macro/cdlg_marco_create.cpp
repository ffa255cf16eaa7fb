// Layout of the name dialog and its length rule.
#include "gui/macro/cdlg_marco_create.h"
#include "gui/kit/tr.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>
#include <algorithm>

#include "gui/kit/skin_button.h"
#include "gui/kit/theme.h"
#include "macro/macro_sets.h"

namespace kzgui {
namespace {

using kit::SkinButton;

constexpr QSize kDialogSize(360, 170);

// QLineEdit::setMaxLength counts UTF-16 units, so it alone would let a name of characters outside
// the BMP stop at half the length. The validator sees every change (typing, pasting, dropping,
// the input method) and cuts a text that grew too long back to the limit, so an overlong paste
// is shortened rather than refused.
class NameLengthValidator : public QValidator {
 public:
  using QValidator::QValidator;

  State validate(QString& input, int& pos) const override {
    int excess = CDlgMarcoCreate::CharacterCount(input) - kz::macro::kMaxNameCharacters;
    if (excess <= 0) return Acceptable;
    // What was just typed or pasted sits right before the cursor: that is what goes, so the
    // earlier part of the name stays as it was.
    const int end = std::clamp(pos, 0, static_cast<int>(input.size()));
    int begin = end;
    while (excess > 0 && begin > 0) {
      --begin;
      if (begin > 0 && input.at(begin).isLowSurrogate() && input.at(begin - 1).isHighSurrogate()) --begin;
      --excess;
    }
    input.remove(begin, end - begin);
    pos = begin;
    while (excess > 0 && !input.isEmpty()) {
      const qsizetype last = input.size() - 1;
      const bool pair = last > 0 && input.at(last).isLowSurrogate() && input.at(last - 1).isHighSurrogate();
      input.chop(pair ? 2 : 1);
      --excess;
    }
    pos = std::min(pos, static_cast<int>(input.size()));
    return Acceptable;
  }
};

}  // namespace

int CDlgMarcoCreate::CharacterCount(const QString& text) {
  int count = 0;
  for (qsizetype i = 0; i < text.size(); ++i, ++count) {
    if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ++i;
  }
  return count;
}

CDlgMarcoCreate::CDlgMarcoCreate(QWidget* parent) : kit::CDlgBase(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName("macroNameDialog");
  setWindowTitle(QStringLiteral("KZ Mouse"));
  setModal(true);
  setFixedSize(kDialogSize);
  setDragMovesWindow(true);

  edit_ = new QLineEdit(this);
  edit_->setObjectName("macroName");
  edit_->setGeometry(20, 46, kDialogSize.width() - 40, 36);
  edit_->setStyleSheet(kit::Theme::EditStyleSheet());
  edit_->setFont(kit::Theme::Font(18));
  // Two units per character leaves room for a name of characters outside the BMP; the validator
  // keeps the character count.
  edit_->setMaxLength(2 * kz::macro::kMaxNameCharacters);
  edit_->setValidator(new NameLengthValidator(edit_));
  connect(edit_, &QLineEdit::returnPressed, this, [this] { RunCommand(kConfirm); });

  close_ = new SkinButton(QStringLiteral("×"), SkinButton::Look::Small, this);
  close_->setGeometry(kDialogSize.width() - 30, 6, 22, 22);
  confirm_ = new SkinButton(Tr("确定"), SkinButton::Look::Action, this);
  confirm_->setGeometry(70, 118, 100, 30);
  cancel_ = new SkinButton(Tr("取消"), SkinButton::Look::Action, this);
  cancel_->setGeometry(190, 118, 100, 30);
  for (int id : {kConfirm, kCancel, kClose}) {
    SkinButton* button = Button(id);
    button->setObjectName("button" + QString::number(id));
    connect(button, &QAbstractButton::clicked, this, [this, id] { RunCommand(id); });
  }
  edit_->setFocus();
}

SkinButton* CDlgMarcoCreate::Button(int id) const {
  switch (id) {
    case kConfirm: return confirm_;
    case kCancel: return cancel_;
    case kClose: return close_;
    default: return nullptr;
  }
}

void CDlgMarcoCreate::RunCommand(int id) {
  switch (id) {
    case kConfirm: Confirm(); break;
    case kCancel:
    case kClose: reject(); break;
    default: break;
  }
}

void CDlgMarcoCreate::Confirm() {
  // The store's own trimming, so the name shown back later is exactly the one confirmed here.
  std::string name = kz::macro::TrimName(edit_->text().toStdString());
  if (name.empty()) {
    edit_->clear();
    edit_->setFocus();
    return;
  }
  name_ = std::move(name);
  accept();
}

void CDlgMarcoCreate::keyPressEvent(QKeyEvent* event) {
  // A dialog of its own may be left with Escape, unlike a page.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    reject();
    return;
  }
  kit::CDlgBase::keyPressEvent(event);
}

}  // namespace kzgui
