#pragma once
// The program's one window: a frameless 1024 x 768 frame with the page tabs, the command column,
// the five profile buttons, ten page slots and the two account panels; it owns the device reader
// and arrival monitor, the tray icon, the timers and the events the sync threads wait on.
//
// Everything here runs on the user-interface thread. The device reader hands each status report
// over with a queued call; the page walks are the profile session's, and everything that goes to
// the mouse goes through the services' writer thread, whose results come back queued: the window
// never waits for the mouse.
#include <QPointer>
#include <array>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "base/event.h"
#include "cloud/sync_engine.h"
#include "gui/kit/cdlg_base.h"

class QSocketNotifier;
class QSystemTrayIcon;
class QTimer;
class QUrl;

namespace kz::app {
class Services;
}
namespace kz::profile {
class ProfileSession;
}
namespace kz::cloud {
class Account;
}
namespace kz::device {
class ArrivalMonitor;
class DeviceReader;
struct StatusReport;
}  // namespace kz::device

namespace kzgui {

namespace kit {
class SkinButton;
}
class TrayMenu;

class CDlgMain : public kit::CDlgBase {
  Q_OBJECT
 public:
  static constexpr int kSlotCount = 10;
  static constexpr int kFirstButton = 2000;
  static constexpr int kButtonCount = 16;
  enum Command {
    kHide = 2000, kQuit = 2001, kFirstTab = 2002, kLastTab = 2006, kFactoryReset = 2007, kApply = 2008,
    kSaveAll = 2009, kQuit2 = 2010, kFirstProfile = 2011, kLastProfile = 2015
  };
  // Command ids of the tray menu.
  static constexpr int kTrayOpen = 32772;
  static constexpr int kTrayExit = 57665;
  static constexpr int kDeviceTimerMs = 1000;
  // Timer 3: the statistics page's counters are stored (when they changed) and shown.
  static constexpr int kCountersTimerMs = 2000;
  static constexpr int kHonorSlot = 3;
  static constexpr int kStatisticsSlot = 5;

  // Makes a page for a slot over the services' models; an empty function leaves the slot empty.
  using PageFactory = std::function<kit::CDlgBase*(QWidget* parent, kz::app::Services& services)>;
  struct Options {
    kz::app::Services* services = nullptr;  // required; outlives the window
    std::array<PageFactory, kSlotCount> pages;  // defaults: see DefaultPages()
    bool useTray = true;
    // The account and sync threads: the service's address and the threads' timing.
    kz::cloud::SyncOptions sync;
    // The honor check of the achievement pages, run after each login's sign-in bookkeeping.
    std::function<void()> honorCheck;
    // Opens a page of the service in the browser; empty: QDesktopServices.
    std::function<bool(const QUrl&)> openUrl;
  };
  // The pages of the program: slot 0 mouse settings, slot 1 buttons, slot 2 lighting, slot 4
  // support; slots 3 and 5 plain pages for now, 6 to 9 empty.
  static std::array<PageFactory, kSlotCount> DefaultPages();

  explicit CDlgMain(Options options, QWidget* parent = nullptr);
  ~CDlgMain() override;

  // Page walks over the slots in slot order.
  bool LoadFromStore() override;   // load all pages; a page without a row gets its defaults
  bool SaveToStore() override;     // save all pages; tells the user when that failed
  void ResetToDefaults() override; // factory reset, already confirmed; the mouse is written later
  // Saves all pages and writes the shown page to the mouse; tells the user how it went once the
  // mouse has answered.
  void Apply();
  void SelectProfile(int profile);
  // A command of the window (button ids 2000 to 2015, tray menu ids).
  void RunCommand(int id);
  // Back from the tray (or from being minimised).
  void Restore();
  void HideToTray();

  kit::CDlgBase* Page(int slot) const;
  kit::SkinButton* Button(int id) const;
  int CurrentPage() const { return currentPage_; }
  QWidget* LoginPanel() const { return loginPanel_; }
  QWidget* LoggedInPanel() const { return loggedInPanel_; }
  kz::cloud::Account& Account() { return *account_; }
  kz::cloud::SyncEngine& Sync() { return *sync_; }
  QSystemTrayIcon* TrayIcon() const { return tray_; }
  // The tray's menu; it exists also where the desktop shows no tray.
  TrayMenu* Tray() const { return trayMenu_; }
  // A profile chosen in the tray: selected as the profile buttons select it, then every page of it
  // written to the mouse, so that the mouse follows at once.
  void SwitchProfile(int profile);
  // The last short notification of the tray (the mouse arrived or left, a switch failed).
  QString LastNotification() const { return lastNotification_; }

  // Device side. A tick of the device timer starts the reader when the mouse is present, or asks a
  // running reader's mouse for its state.
  void DeviceTimerTick();
  // The mouse was plugged in: the device timer starts over.
  void MouseArrived();
  // The reader ended by itself: the mouse was unplugged or stopped answering.
  void MouseLeft();
  // Takes one status report on this thread: pages, firmware version, save, button write-back,
  // upload request.
  void HandleStatusReport(const kz::device::StatusReport& report);
  bool ReaderRunning() const;
  // A tick of timer 3: stores the usage counters when they changed since they were last stored
  // (an idle mouse costs no write), then shows them.
  void CountersTimerTick();
  bool DeviceTimerActive() const;
  kz::profile::ProfileSession& Session() { return session_; }

  // The events of the sync threads and the time of the last upload request.
  kz::Event& UploadQuitEvent() { return uploadQuit_; }
  kz::Event& UploadRequestEvent() { return uploadRequest_; }
  kz::Event& UserActionEvent() { return userAction_; }
  kz::Event& PollQuitEvent() { return pollQuit_; }
  std::time_t LastUploadTime() const;

 signals:
  // A status report was taken (after the pages were saved): lets tests and panels follow.
  void statusReportHandled();
  // The window asks the program to end (quit buttons, tray menu, closing the window).
  void quitRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void PaintBackground(QPainter& painter) override;

 private:
  void CreateButtons();
  void CreatePages(const Options& options);
  void CreatePanels(const Options& options);
  kz::cloud::AccountHost MakeAccountHost(const Options& options);
  void CreateTray(bool showIcon);
  void StartDevice();
  void SelectTab(int slot);
  void ShowPanel();
  void HideEverything();
  void Shutdown();
  void RequestUpload();
  void RefreshPages();
  // The achievement pages' own buttons hide one of them and show the other.
  void SwapPages(int hide, int show);
  // The macro manager on this set (0: none), modal; the pages show the macros' names afterwards.
  void OpenMacroManager(long long setId);
  void TellSaveFailed();
  void Notify(const QString& text);

  kz::app::Services& services_;
  kz::profile::ProfileSession& session_;
  const std::string commandLine_;
  // Results of the writer thread may come back after the window is gone; they check this first.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool lastReportSaved_ = true;
  std::array<kit::SkinButton*, kButtonCount> buttons_{};
  std::array<QPointer<kit::CDlgBase>, kSlotCount> pages_{};
  QPointer<kit::CDlgBase> loginPanel_;
  QPointer<kit::CDlgBase> loggedInPanel_;
  int currentPage_ = -1;

  QTimer* deviceTimer_ = nullptr;
  QTimer* firstPageTimer_ = nullptr;
  QTimer* countersTimer_ = nullptr;
  bool firstDeviceTick_ = true;
  std::unique_ptr<kz::device::DeviceReader> reader_;
  std::unique_ptr<kz::device::ArrivalMonitor> arrivals_;
  QSocketNotifier* arrivalNotifier_ = nullptr;

  QSystemTrayIcon* tray_ = nullptr;
  TrayMenu* trayMenu_ = nullptr;
  QString lastNotification_;

  kz::Event uploadQuit_{kz::Event::Reset::Manual};
  kz::Event uploadRequest_{kz::Event::Reset::Manual};
  kz::Event userAction_{kz::Event::Reset::Auto};
  kz::Event pollQuit_{kz::Event::Reset::Manual};
  // After the events they wait on; both end in Shutdown.
  std::unique_ptr<kz::cloud::SyncEngine> sync_;
  std::unique_ptr<kz::cloud::Account> account_;
  bool shutDown_ = false;
};

}  // namespace kzgui
