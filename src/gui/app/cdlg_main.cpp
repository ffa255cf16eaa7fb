#include "gui/app/cdlg_main.h"
#include "gui/kit/tr.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>

#include "app/services.h"
#include "base/log.h"
#include "base/notify.h"
#include "cloud/account.h"
#include "device/arrival_monitor.h"
#include "device/channel.h"
#include "device/device_reader.h"
#include "device/presence.h"
#include "device/status_report.h"
#include "gui/app/app_icon.h"
#include "gui/app/tray_menu.h"
#include "gui/buttons/cdlg_button.h"
#include "gui/cloud/cdlg_logined.h"
#include "gui/cloud/cdlg_unlogin.h"
#include "gui/honor/cdlg_achi.h"
#include "gui/honor/cdlg_achi2.h"
#include "gui/kit/skin_button.h"
#include "gui/macro/cdlg_marco_manager.h"
#include "macro/macro_sets.h"
#include "gui/kit/theme.h"
#include "gui/settings/cdlg_light.h"
#include "gui/update/cdlg_support.h"
#include "gui/settings/cdlg_msetting.h"
#include "profile/profile_session.h"
#include "store/users.h"

namespace kzgui {
namespace {

using kit::SkinButton;

struct ButtonSpec {
  QRect rect;
  const char* caption;
  SkinButton::Look look;
};

QRect Ltrb(int left, int top, int right, int bottom) { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }

// Rectangles (left, top, right, bottom) of the window's buttons 2000 to 2015, in id order.
const ButtonSpec kButtons[CDlgMain::kButtonCount] = {
    {Ltrb(942, 7, 964, 29), "－", SkinButton::Look::Small},
    {Ltrb(983, 7, 1004, 29), "×", SkinButton::Look::Small},
    {Ltrb(385, 67, 519, 97), "鼠标设置", SkinButton::Look::Tab},
    {Ltrb(523, 67, 657, 97), "按键设置", SkinButton::Look::Tab},
    {Ltrb(436, 103, 569, 132), "灯光设置", SkinButton::Look::Tab},
    {Ltrb(574, 103, 708, 132), "成就", SkinButton::Look::Tab},
    {Ltrb(712, 103, 847, 132), "支持", SkinButton::Look::Tab},
    {Ltrb(46, 343, 146, 373), "恢复出厂", SkinButton::Look::Action},
    {Ltrb(46, 391, 146, 424), "应用", SkinButton::Look::Action},
    {Ltrb(46, 425, 146, 455), "保存", SkinButton::Look::Action},
    {Ltrb(46, 460, 146, 490), "退出", SkinButton::Look::Action},
    {Ltrb(46, 544, 146, 574), "配置 1", SkinButton::Look::Profile},
    {Ltrb(46, 580, 146, 610), "配置 2", SkinButton::Look::Profile},
    {Ltrb(46, 615, 146, 645), "配置 3", SkinButton::Look::Profile},
    {Ltrb(46, 650, 146, 680), "配置 4", SkinButton::Look::Profile},
    {Ltrb(46, 686, 146, 716), "配置 5", SkinButton::Look::Profile},
};

const QRect kPageArea = Ltrb(148, 187, 982, 707);
const QRect kPanelArea = Ltrb(675, 54, 993, 135);

// A page or panel that has nothing of its own yet: it takes part in every page walk with the
// default operations.
kit::CDlgBase* PlainPage(QWidget* parent, kz::app::Services&) { return new kit::CDlgBase(parent, Qt::Widget); }

}  // namespace

std::array<CDlgMain::PageFactory, CDlgMain::kSlotCount> CDlgMain::DefaultPages() {
  std::array<PageFactory, kSlotCount> pages;
  pages[0] = [](QWidget* parent, kz::app::Services& services) {
    kz::profile::ProfileSession& session = services.Profiles();
    return new CDlgMSetting(session.MouseSettings(), [&session] { return session.Key(); }, parent);
  };
  pages[1] = [](QWidget* parent, kz::app::Services& services) {
    kz::profile::ProfileSession& session = services.Profiles();
    return new CDlgButton(session.Buttons(), [&session] { return session.Key(); }, services.db, parent);
  };
  pages[2] = [](QWidget* parent, kz::app::Services& services) {
    kz::profile::ProfileSession& session = services.Profiles();
    return new CDlgLight(session.Lighting(), [&session] { return session.Key(); }, parent);
  };
  pages[3] = [](QWidget* parent, kz::app::Services& services) {
    kz::Session& session = services.session;
    return new CDlgAchi2(services.db, [&session] { return session.UserName(); }, services.clock.now, parent);
  };
  pages[4] = [](QWidget* parent, kz::app::Services& services) {
    CDlgSupport::Options options;
    options.services = &services;
    return new CDlgSupport(std::move(options), parent);
  };
  pages[5] = [](QWidget* parent, kz::app::Services& services) { return new CDlgAchi(services.Counters(), parent); };
  return pages;
}

CDlgMain::CDlgMain(Options options, QWidget* parent)
    : kit::CDlgBase(parent, Qt::Window | Qt::FramelessWindowHint),
      services_(*options.services),
      session_(options.services->Profiles()),
      commandLine_(options.services->values.commandLine) {
  setWindowTitle("KZ Mouse");
  setWindowIcon(AppIcon());
  setFixedSize(1024, 768);
  setDragMovesWindow(true);
  CreateButtons();
  CreatePages(options);
  CreatePanels(options);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  services_.session.SetLastUploadTime(services_.clock.now());
  SelectProfile(session_.ActiveProfile());
  StartDevice();

  deviceTimer_ = new QTimer(this);
  deviceTimer_->setSingleShot(true);
  connect(deviceTimer_, &QTimer::timeout, this, &CDlgMain::DeviceTimerTick);
  deviceTimer_->start(kDeviceTimerMs);

  firstPageTimer_ = new QTimer(this);
  firstPageTimer_->setSingleShot(true);
  connect(firstPageTimer_, &QTimer::timeout, this, [this] {
    ShowPanel();
    if (currentPage_ != 0) SelectTab(0);
  });
  firstPageTimer_->start(500);

  countersTimer_ = new QTimer(this);
  connect(countersTimer_, &QTimer::timeout, this, &CDlgMain::CountersTimerTick);
  countersTimer_->start(kCountersTimerMs);

  CreateTray(options.useTray);
  sync_->Start();
}

CDlgMain::~CDlgMain() { Shutdown(); }

void CDlgMain::CreateButtons() {
  for (int i = 0; i < kButtonCount; ++i) {
    auto* button = new SkinButton(Tr(kButtons[i].caption), kButtons[i].look, this);
    button->setObjectName(QString("button%1").arg(kFirstButton + i));
    button->setGeometry(kButtons[i].rect);
    const int id = kFirstButton + i;
    connect(button, &SkinButton::clicked, this, [this, id] { RunCommand(id); });
    buttons_[static_cast<size_t>(i)] = button;
  }
}

void CDlgMain::CreatePages(const Options& options) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const auto& make = options.pages[static_cast<size_t>(slot)];
    if (!make) continue;
    kit::CDlgBase* page = make(this, services_);
    if (auto* buttons = qobject_cast<CDlgButton*>(page))
      connect(buttons, &CDlgButton::openMacroManager, this, &CDlgMain::OpenMacroManager);
    if (auto* honors = qobject_cast<CDlgAchi2*>(page))
      connect(honors, &CDlgAchi2::showStatisticsPage, this, [this] { SwapPages(kHonorSlot, kStatisticsSlot); });
    if (auto* statistics = qobject_cast<CDlgAchi*>(page))
      connect(statistics, &CDlgAchi::showHonorPage, this, [this] { SwapPages(kStatisticsSlot, kHonorSlot); });
    page->setObjectName(QString("page%1").arg(slot));
    page->hide();
    page->setGeometry(kPageArea);
    pages_[static_cast<size_t>(slot)] = page;
  }
}

kz::cloud::AccountHost CDlgMain::MakeAccountHost(const Options& options) {
  kz::cloud::AccountHost host;
  host.message = [](const std::string& text) { kz::ShowMessage(text); };
  host.windowVisible = [this] { return isVisible() && !isMinimized(); };
  host.showLoginPage = [this] {
    loggedInPanel_->hide();
    loginPanel_->show();
  };
  host.showLoggedInPage = [this](const std::string& user, long long score, long long level) {
    static_cast<CDlgLogined*>(loggedInPanel_.data())->SetUser(user, score, level);
    loginPanel_->hide();
    loggedInPanel_->show();
  };
  host.pagesReloaded = [this](int profile) {
    for (int id = kFirstProfile; id <= kLastProfile; ++id)
      Button(id)->setHighlighted(id == kFirstProfile - 1 + profile);
    RefreshPages();
  };
  host.honorCheck = options.honorCheck;
  host.busy = [](bool busy) {
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
  };
  auto open = options.openUrl ? options.openUrl : [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  host.openAddress = [open](const std::string& address) { return open(QUrl(QString::fromStdString(address))); };
  return host;
}

void CDlgMain::CreatePanels(const Options& options) {
  sync_ = std::make_unique<kz::cloud::SyncEngine>(
      services_, kz::cloud::SyncEvents{uploadQuit_, uploadRequest_, userAction_, pollQuit_}, MakeAccountHost(options),
      options.sync);
  account_ = std::make_unique<kz::cloud::Account>(*sync_);
  loginPanel_ = new CDlgUnlogin(*account_, this);
  loggedInPanel_ = new CDlgLogined(*account_, this);
  for (kit::CDlgBase* panel : {loginPanel_.data(), loggedInPanel_.data()}) {
    panel->setGeometry(kPanelArea);
    panel->hide();
  }
}

void CDlgMain::CreateTray(bool showIcon) {
  trayMenu_ = new TrayMenu([this] { return session_.ActiveProfile(); }, ChosenLanguage(services_.values.dataDir), this);
  connect(trayMenu_, &TrayMenu::languageChosen, this, [this](Language language) {
    // The window's texts are made once; the chosen language shows from the next start.
    if (RememberLanguage(services_.values.dataDir, language)) Notify(QStringLiteral("重新启动后使用所选语言"));
  });
  connect(trayMenu_, &TrayMenu::openChosen, this, [this] { RunCommand(kTrayOpen); });
  connect(trayMenu_, &TrayMenu::exitChosen, this, [this] { RunCommand(kTrayExit); });
  connect(trayMenu_, &TrayMenu::profileChosen, this, &CDlgMain::SwitchProfile);
  // Qt shows the icon through the desktop's StatusNotifier host where one runs, else in an X11
  // tray; with neither, hiding minimises instead.
  if (!showIcon || !QSystemTrayIcon::isSystemTrayAvailable()) return;
  tray_ = new QSystemTrayIcon(AppIcon(), this);
  tray_->setToolTip("KZ Mouse");
  tray_->setContextMenu(trayMenu_);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger) Restore();
  });
  tray_->show();
}

void CDlgMain::SwitchProfile(int profile) {
  if (profile < 1 || profile > kz::store::kProfileCount) return;
  RunCommand(kFirstProfile - 1 + profile);
  std::weak_ptr<bool> alive = alive_;
  session_.WriteAll([this, alive](bool ok) {
    if (!alive.expired() && !ok) Notify(QStringLiteral("失败，设备可能未接入电脑!"));
  });
}

void CDlgMain::Notify(const QString& text) {
  lastNotification_ = text;
  if (tray_ && tray_->isVisible() && QSystemTrayIcon::supportsMessages())
    tray_->showMessage(QStringLiteral("KZ Mouse"), Tr(text), AppIcon(), 3000);
}

void CDlgMain::StartDevice() {
  // The reader's thread only hands reports over; this object takes them on its own thread.
  std::weak_ptr<bool> alive = alive_;
  reader_ = std::make_unique<kz::device::DeviceReader>(
      [this, alive](const kz::device::StatusReport& report) {
        services_.dispatcher.Post([this, alive, report] {
          if (!alive.expired()) HandleStatusReport(report);
        });
      },
      [this, alive] {
        services_.dispatcher.Post([this, alive] {
          if (!alive.expired()) MouseLeft();
        });
      });
  arrivals_ = std::make_unique<kz::device::ArrivalMonitor>([this](const std::string&) { MouseArrived(); });
  if (arrivals_->Start() && arrivals_->Fd() >= 0) {
    arrivalNotifier_ = new QSocketNotifier(arrivals_->Fd(), QSocketNotifier::Read, this);
    connect(arrivalNotifier_, &QSocketNotifier::activated, this, [this] { arrivals_->ProcessPendingEvents(); });
  }
}

kit::CDlgBase* CDlgMain::Page(int slot) const {
  return slot >= 0 && slot < kSlotCount ? pages_[static_cast<size_t>(slot)].data() : nullptr;
}

kit::SkinButton* CDlgMain::Button(int id) const {
  int index = id - kFirstButton;
  return index >= 0 && index < kButtonCount ? buttons_[static_cast<size_t>(index)] : nullptr;
}

void CDlgMain::RunCommand(int id) {
  if (id >= kFirstTab && id <= kLastTab) {
    SelectTab(id - kFirstTab);
  } else if (id >= kFirstProfile && id <= kLastProfile) {
    SelectProfile(id - (kFirstProfile - 1));
  } else if (id == kHide) {
    HideToTray();
  } else if (id == kQuit || id == kQuit2 || id == kTrayExit) {
    emit quitRequested();
  } else if (id == kFactoryReset) {
    if (MessageTip("确认恢复出厂设置吗？") == 1) ResetToDefaults();
  } else if (id == kApply) {
    Apply();
  } else if (id == kSaveAll) {
    SaveToStore();
  } else if (id == kTrayOpen) {
    Restore();
  }
}

void CDlgMain::SelectTab(int slot) {
  SkinButton* tab = Button(kFirstTab + slot);
  if (!tab || tab->isHighlighted()) return;
  for (int id = kFirstTab; id <= kLastTab; ++id) Button(id)->setHighlighted(id == kFirstTab + slot);
  for (auto& page : pages_)
    if (page) page->hide();
  if (kit::CDlgBase* page = Page(slot)) page->show();
  currentPage_ = slot;
}

void CDlgMain::SelectProfile(int profile) {
  if (profile < 1 || profile > kz::store::kProfileCount) return;
  for (int id = kFirstProfile; id <= kLastProfile; ++id) Button(id)->setHighlighted(id == kFirstProfile - 1 + profile);
  session_.SelectProfile(profile);
  RefreshPages();
}

bool CDlgMain::LoadFromStore() {
  session_.LoadAll();
  RefreshPages();
  return true;
}

bool CDlgMain::SaveToStore() {
  const bool saved = session_.SaveAll();
  RefreshPages();
  if (!saved) TellSaveFailed();
  return saved;
}

void CDlgMain::RefreshPages() {
  for (auto& page : pages_)
    if (page) page->Refresh();
}

void CDlgMain::SwapPages(int hide, int show) {
  if (kit::CDlgBase* page = Page(hide)) page->hide();
  if (kit::CDlgBase* page = Page(show)) page->show();
}

void CDlgMain::CountersTimerTick() {
  if (kz::profile::SlotModel* counters = session_.SlotModelAt(kStatisticsSlot); counters && counters->Changed())
    session_.Save({kStatisticsSlot});  // a failure is logged; the next tick tries again
  if (kit::CDlgBase* page = Page(kStatisticsSlot)) page->Refresh();
}

void CDlgMain::OpenMacroManager(long long setId) {
  kz::macro::MacroSets sets(services_.db, services_.session.UserName());
  CDlgMarcoManager manager(sets, services_.db, services_.clock.steady, setId, this);
  manager.exec();
  // The manager may have renamed or deleted macros the buttons use.
  if (auto* buttons = qobject_cast<CDlgButton*>(Page(1))) buttons->MacrosChanged();
}

void CDlgMain::TellSaveFailed() { MessageTip("保存失败！"); }

std::time_t CDlgMain::LastUploadTime() const { return services_.session.Snapshot().lastUploadTime; }

void CDlgMain::RequestUpload() {
  userAction_.Set();
  uploadRequest_.Set();
}

void CDlgMain::Apply() {
  // Nothing goes to the mouse that the store does not hold: the two would disagree from now on.
  if (!SaveToStore()) return;
  RequestUpload();
  std::vector<int> shown;
  for (int slot = 0; slot < kSlotCount; ++slot)
    if (pages_[static_cast<size_t>(slot)] && !pages_[static_cast<size_t>(slot)]->isHidden()) shown.push_back(slot);
  std::weak_ptr<bool> alive = alive_;
  session_.Write(shown, [this, alive](bool ok) {
    if (alive.expired()) return;
    MessageTip(ok ? "成功！" : "失败，设备可能未接入电脑!");
  });
}

void CDlgMain::ResetToDefaults() {
  // A refusal of the mouse stops the writes quietly: the pages keep and store their defaults.
  const bool saved = session_.FactoryReset({});
  RefreshPages();
  if (!saved) {
    TellSaveFailed();
    return;
  }
  RequestUpload();
}

void CDlgMain::ShowPanel() {
  const bool loggedIn = !services_.session.Snapshot().token.empty();
  loggedInPanel_->setVisible(loggedIn);
  loginPanel_->setVisible(!loggedIn);
}

void CDlgMain::HideToTray() {
  if (!tray_) {
    showMinimized();  // no tray to come back from: the task bar has to do
    return;
  }
  hide();
}

void CDlgMain::Restore() {
  showNormal();
  raise();
  activateWindow();
  kit::CDlgBase* page = Page(currentPage_);
  // The statistics page stands in for the honor page's tab while it is shown.
  if (currentPage_ == kHonorSlot && Page(kStatisticsSlot) && !Page(kStatisticsSlot)->isHidden())
    page = Page(kStatisticsSlot);
  if (page) page->show();
  ShowPanel();
}

void CDlgMain::DeviceTimerTick() {
  deviceTimer_->stop();
  if (firstDeviceTick_) {
    firstDeviceTick_ = false;
    if (commandLine_.find("/hide") != std::string::npos) HideToTray();
  }
  if (!kz::device::IsMousePresent()) return;
  if (reader_->IsRunning()) {
    kz::device::WriteSequence ask;
    ask.Send("03F9");
    services_.Writer().Submit(std::move(ask), {});
  } else {
    session_.ForgetSentButtons();  // a new connection: the mouse may not be the one written before
    reader_->Start();
  }
}

void CDlgMain::MouseArrived() {
  session_.ForgetSentButtons();
  deviceTimer_->start(kDeviceTimerMs);
  Notify(QStringLiteral("鼠标已连接"));
}

void CDlgMain::MouseLeft() {
  if (!shutDown_) Notify(QStringLiteral("鼠标已断开"));
}

bool CDlgMain::ReaderRunning() const { return reader_ && reader_->IsRunning(); }
bool CDlgMain::DeviceTimerActive() const { return deviceTimer_->isActive(); }

void CDlgMain::HandleStatusReport(const kz::device::StatusReport& report) {
  if (shutDown_) return;
  const bool saved = session_.ApplyStatusReport(report);
  RefreshPages();
  // Reports come every second while the store fails; the user hears of it once, when it starts.
  if (!saved && lastReportSaved_) {
    std::weak_ptr<bool> alive = alive_;
    QTimer::singleShot(0, this, [this, alive] {
      if (!alive.expired()) TellSaveFailed();
    });
  }
  lastReportSaved_ = saved;
  services_.session.SetLastUploadTime(services_.clock.now());
  uploadRequest_.Set();
  update();
  emit statusReportHandled();
}

void CDlgMain::PaintBackground(QPainter& painter) {
  using kit::Theme;
  painter.fillRect(rect(), Theme::Window());
  Theme::PaintPanel(painter, QRectF(8, 40, 1008, 720));
  // The page frame and the command column's panel meet without overlapping, and the column's
  // panel reaches below the last profile button.
  Theme::PaintPanel(painter, QRectF(kPageArea.adjusted(-2, -4, 4, 4)), true);
  Theme::PaintPanel(painter, QRectF(26, 187, 118, 537), true);
  painter.setPen(Theme::Accent());
  painter.setFont(Theme::Font(26, true));
  painter.drawText(QRect(40, 56, 300, 40), Qt::AlignLeft | Qt::AlignVCenter, "KZ Mouse");
  painter.setPen(Theme::TextDim());
  painter.setFont(Theme::Font(12));
  painter.drawText(QRect(40, 96, 330, 24), Qt::AlignLeft | Qt::AlignVCenter,
                   Tr("软件 %1    固件 %2")
                       .arg(QString::fromStdString(services_.values.softwareVersion),
                            QString::fromStdString(services_.session.FirmwareVersion())));
  painter.setFont(Theme::Font(13, true));
  painter.setPen(Theme::Text());
  painter.drawText(QRect(46, 510, 100, 26), Qt::AlignCenter, Tr("配置文件"));
  painter.drawText(QRect(14, 10, 300, 18), Qt::AlignLeft | Qt::AlignVCenter, "KZ Mouse");
}

void CDlgMain::closeEvent(QCloseEvent* event) {
  event->accept();
  emit quitRequested();
}

void CDlgMain::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  if (tray_) tray_->hide();
  if (reader_) {
    reader_->Stop();
    reader_->Join();
  }
  // The last upload is requested, the threads told to end, and given their second.
  if (sync_) sync_->Shutdown();
  // A request cut short by the shutdown never answers: its wait cursor goes with it.
  if (account_ && account_->Busy()) QApplication::restoreOverrideCursor();
}

}  // namespace kzgui
