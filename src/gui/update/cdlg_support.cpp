#include "gui/update/cdlg_support.h"
#include "gui/kit/tr.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QTimer>
#include <QUrl>

#include "app/handoff.h"
#include "app/services.h"
#include "device/channel.h"
#include "device/presence.h"
#include "gui/kit/cdlg_tip.h"
#include "gui/kit/label.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/theme.h"
#include "update/downloader.h"
#include "update/firmware_record.h"
#include "update/support_model.h"
#include "update/update_files.h"
#include "update/update_texts.h"

namespace kzgui {
namespace {

// A text of the update flows in the user's language: the flows' own texts as they are, and the
// version labels by their format ("软件版本号: %s" with the version after it).
QString Shown(const std::string& text) {
  for (const char* format : {kz::update::text::kSoftwareVersionLabel, kz::update::text::kFirmwareVersionLabel}) {
    const std::string prefix = std::string(format).substr(0, std::string(format).find("%s"));
    if (text.rfind(prefix, 0) == 0 && text != prefix)
      return Tr(format).replace(QStringLiteral("%s"), QString::fromStdString(text.substr(prefix.size())));
  }
  return Tr(text);
}


namespace text = kz::update::text;

QRect Ltrb(int left, int top, int right, int bottom) { return QRect(left, top, right - left, bottom - top); }

struct ButtonPlace {
  int id;
  QRect rect;
  const char* caption;
};
const ButtonPlace kButtons[] = {
    {CDlgSupport::kFlashFromFile, Ltrb(135, 284, 277, 324), "固件升级"},
    {CDlgSupport::kCheck, Ltrb(132, 395, 278, 437), "检查更新"},
    {CDlgSupport::kNoAction, Ltrb(544, 263, 685, 308), "使用帮助"},
    {CDlgSupport::kMail, Ltrb(542, 356, 686, 398), "联系客服"},
};

const QRect kStatusArea = Ltrb(300, 476, 800, 496);
const QRect kProgressArea = Ltrb(300, 498, 800, 516);

}  // namespace

CDlgSupport::CDlgSupport(Options options, QWidget* parent)
    : kit::CDlgBase(parent, Qt::Widget), options_(std::move(options)), downloader_(options_.downloader) {
  kz::app::Services& services = *options_.services;
  if (!downloader_) downloader_ = std::shared_ptr<kz::update::Downloader>(kz::update::MakeHttpDownloader());
  if (!options_.askPlugIn)
    options_.askPlugIn = [this] {
      return QMessageBox::warning(this, Tr(text::kPlugInTitle), Tr(text::kPlugInText),
                                  QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    };
  if (!options_.chooseImage)
    options_.chooseImage = [this] {
      return QFileDialog::getOpenFileName(this, QString(), QString(), QString::fromUtf8(text::kImageFilter));
    };
  if (!options_.openUrl) options_.openUrl = [](const QString& url) { return QDesktopServices::openUrl(QUrl(url)); };
  if (!options_.handOff)
    options_.handOff = [&services] {
      services.db.Close();
      kz::device::CloseConnection();
      kz::app::HandOverToUpdater(services.values.programDir);
    };

  kz::update::SupportModel::Options model;
  model.dispatcher = &services.dispatcher;
  model.writer = &services.Writer();
  model.downloader = downloader_.get();
  model.dataDir = services.values.dataDir;
  model.softwareVersion = services.values.softwareVersion;
  model.manifestUrl = options_.manifestUrl.empty() ? kz::update::ManifestUrl() : options_.manifestUrl;
  model.firmwareVersion = [&services] { return services.session.FirmwareVersion(); };
  model.firmwareFlashed = [this, &services](const std::string& version) {
    kz::update::RecordFlashedFirmware(services.db, services.session, version);
    Refresh();
  };
  model.handOff = [this] { options_.handOff(); };
  model.startDelayMs = options_.checkDelayMs;
  model_ = std::make_unique<kz::update::SupportModel>(std::move(model));

  for (const ButtonPlace& place : kButtons) {
    auto* button = new kit::SkinButton(Tr(place.caption), kit::SkinButton::Look::Action, this);
    button->setObjectName(QString("button%1").arg(place.id));
    button->setGeometry(place.rect);
    const int id = place.id;
    connect(button, &kit::SkinButton::clicked, this, [this, id] { RunCommand(id); });
    buttons_[place.id - kFlashFromFile] = button;
  }
  software_ = new kit::Label(QString(), kit::Label::Style::Normal, this);
  software_->setObjectName("softwareVersion");
  software_->setGeometry(Ltrb(135, 190, 420, 216));
  firmware_ = new kit::Label(QString(), kit::Label::Style::Normal, this);
  firmware_->setObjectName("firmwareVersion");
  firmware_->setGeometry(Ltrb(135, 222, 420, 248));
  newVersion_ = new kit::Label(QString(), kit::Label::Style::Title, this);
  newVersion_->setObjectName("newVersion");
  newVersion_->setGeometry(Ltrb(290, 400, 440, 432));
  status_ = new kit::Label(QString(), kit::Label::Style::Dim, this);
  status_->setObjectName("statusText");
  status_->setGeometry(kStatusArea);
  status_->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("progress");
  progress_->setGeometry(kProgressArea);
  progress_->setTextVisible(true);
  progress_->setStyleSheet(QString("QProgressBar { color: %1; background: %2; border: 1px solid %3; border-radius: 3px;"
                                   " text-align: center; } QProgressBar::chunk { background: %4; }")
                               .arg(kit::Theme::Text().name(), kit::Theme::EditBackground().name(),
                                    kit::Theme::Border().name(), kit::Theme::Accent().name()));
  progress_->hide();

  kz::update::SupportModel::Observer observer;
  observer.statusLines = [this](const std::vector<std::string>& lines) {
    QStringList texts;
    for (const std::string& line : lines) texts << Shown(line);
    ShowStatusLines(texts.join("\r\n"));
  };
  observer.progress = [this](long long done, long long total) { ShowProgress(done, total); };
  observer.newVersionLabel = [this](const std::string& label) { newVersion_->setText(Shown(label)); };
  observer.versionsChanged = [this] { Refresh(); };
  model_->SetObserver(std::move(observer));

  Refresh();
  if (options_.silentCheck) model_->StartSilentCheck();
}

CDlgSupport::~CDlgSupport() { model_->Stop(); }

kit::SkinButton* CDlgSupport::Button(int id) const {
  return id >= kFlashFromFile && id <= kMail ? buttons_[id - kFlashFromFile] : nullptr;
}

void CDlgSupport::Refresh() {
  software_->setText(Shown(model_->SoftwareLabel()));
  firmware_->setText(Shown(model_->FirmwareLabel()));
}

void CDlgSupport::showEvent(QShowEvent* event) {
  kit::CDlgBase::showEvent(event);
  Refresh();
}

void CDlgSupport::RunCommand(int id) {
  switch (id) {
    case kFlashFromFile: FlashFromFile(); break;
    case kCheck: model_->StartManualCheck(); break;
    case kMail: SendMail(); break;
    default: break;
  }
}

void CDlgSupport::Stop() {
  CloseTip();
  model_->Stop();
}

void CDlgSupport::FlashFromFile() {
  if (model_->Flashing()) return;  // one image at a time
  if (!kz::device::IsMousePresent() && !options_.askPlugIn()) return;
  const QString path = options_.chooseImage();
  if (path.isEmpty()) return;
  model_->FlashFromFile(path.toStdString());
}

void CDlgSupport::SendMail() {
  const QString address = QString::fromUtf8(kSupportMail);
  if (options_.openUrl("mailto:" + address)) return;
  ShowStatusLines(Tr(text::kNoMailProgram) + address);
}

void CDlgSupport::ShowStatusLines(const QString& joined) {
  status_->setText(joined.section("\r\n", -1));
  status_->setToolTip(joined);
  if (!options_.useTipBox) return;
  if (kit::CDlgTIp* open = kit::CDlgTIp::Current()) {
    open->setText(joined);
    return;
  }
  // The tip box is modal: it opens after the task that brought the line has returned, with the
  // lines as they stand by then.
  if (tipPending_) return;
  tipPending_ = true;
  QTimer::singleShot(0, this, [this] {
    tipPending_ = false;
    MessageTip(status_->toolTip());
  });
}

void CDlgSupport::ShowProgress(long long done, long long total) {
  if (total < 0) {
    progress_->hide();
    return;
  }
  progress_->show();
  if (total == 0) {  // size unknown: a busy bar with the bytes so far
    progress_->setRange(0, 0);
    progress_->setFormat(QString("%1").arg(done));
    return;
  }
  progress_->setRange(0, 1000);
  progress_->setValue(static_cast<int>(done * 1000 / total));
  progress_->setFormat(QString("%1 / %2").arg(done).arg(total));
}

void CDlgSupport::PaintBackground(QPainter& painter) {
  using kit::Theme;
  painter.fillRect(rect(), Theme::Window());
  Theme::PaintPanel(painter, QRectF(100.5, 150.5, 360, 320));
  Theme::PaintPanel(painter, QRectF(500.5, 230.5, 230, 190));
  painter.setPen(Theme::Text());
  painter.setFont(Theme::Font(18, true));
  painter.drawText(QRect(135, 158, 300, 28), Qt::AlignLeft | Qt::AlignVCenter, Tr("版本与更新"));
  painter.drawText(QRect(530, 238, 190, 22), Qt::AlignLeft | Qt::AlignVCenter, Tr("帮助与支持"));
}

}  // namespace kzgui
