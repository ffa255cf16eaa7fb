// The account panels in the main window: their places, the masked password, the login off the
// window thread with the wait cursor, the automatic login, log out, the service's pages, and the
// last upload when the window closes, against the real kz-service.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QUrl>

#include "base/notify.h"
#include "cloud/account.h"
#include "cloud/sync_api.h"
#include "gui/cloud/cdlg_logined.h"
#include "gui/cloud/cdlg_unlogin.h"
#include "device/status_report.h"
#include "gui/kit/skin_button.h"
#include "service_process.h"
#include "window_fixture.h"

namespace {

struct AccountPanels : kztest::WindowFixture {
  std::unique_ptr<kztest::ServiceProcess> service;
  std::vector<std::string> messages;
  std::vector<QUrl> opened;
  int honorChecks = 0;

  void StartService() {
    service = std::make_unique<kztest::ServiceProcess>(xdg.root().path());
    ASSERT_TRUE(service->ok()) << service->Log();
  }
  void OpenWindow(const std::string& base) {
    kz::SetMessageHandler([this](const std::string& text) { messages.push_back(text); });
    kzgui::CDlgMain::Options options;
    options.services = services.get();
    options.pages = kzgui::CDlgMain::DefaultPages();
    options.useTray = false;
    options.sync.apiBase = base;
    options.honorCheck = [this] { ++honorChecks; };
    options.openUrl = [this](const QUrl& url) {
      opened.push_back(url);
      return true;
    };
    window = std::make_unique<kzgui::CDlgMain>(std::move(options));
    window->show();
    StopDeviceTimer();
  }
  void TearDown() override {
    window.reset();
    kz::SetMessageHandler(nullptr);
    kztest::WindowFixture::TearDown();
  }
  kzgui::CDlgUnlogin& Login() { return *static_cast<kzgui::CDlgUnlogin*>(window->LoginPanel()); }
  kzgui::CDlgLogined& LoggedIn() { return *static_cast<kzgui::CDlgLogined*>(window->LoggedInPanel()); }
  bool LoggedInShown() { return window->LoggedInPanel()->isVisible() && !window->LoginPanel()->isVisible(); }
};

TEST_F(AccountPanels, SitInThePanelPlaceWithTheirControlsAtTheirRectangles) {
  OpenWindow("http://127.0.0.1:9/");
  for (QWidget* panel : {window->LoginPanel(), window->LoggedInPanel()})
    EXPECT_EQ(panel->geometry(), QRect(675, 54, 318, 81));
  // Timer 2 shows the login panel after 500 ms.
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->LoginPanel()->isVisible(); }, 3000));
  EXPECT_FALSE(window->LoggedInPanel()->isVisible());
  struct Place {
    QWidget* widget;
    QRect rect;  // left, top, right, bottom
  } places[] = {
      {Login().UserNameField(), QRect(QPoint(50, 9), QPoint(131, 23))},
      {Login().PasswordField(), QRect(QPoint(169, 9), QPoint(250, 22))},
      {Login().Button(kzgui::CDlgUnlogin::kLogin), QRect(QPoint(196, 33), QPoint(251, 50))},
      {Login().Button(kzgui::CDlgUnlogin::kRegister), QRect(QPoint(253, 34), QPoint(308, 51))},
      {Login().Button(kzgui::CDlgUnlogin::kForget), QRect(QPoint(193, 53), QPoint(256, 71))},
      {LoggedIn().UserNameLabel(), QRect(QPoint(89, 9), QPoint(189, 27))},
      {LoggedIn().ScoreLabel(), QRect(QPoint(222, 13), QPoint(298, 27))},
      {LoggedIn().LevelLabel(), QRect(QPoint(222, 35), QPoint(298, 49))},
      {LoggedIn().LogOutButton(), QRect(QPoint(215, 51), QPoint(279, 70))},
  };
  for (const Place& p : places) EXPECT_EQ(p.widget->geometry(), p.rect) << p.widget->objectName().toStdString();
  EXPECT_EQ(Login().PasswordField()->echoMode(), QLineEdit::Password);
  EXPECT_EQ(LoggedIn().ScoreLabel()->text(), "积分：0");
  EXPECT_EQ(LoggedIn().LevelLabel()->text(), "等级：0");
  EXPECT_EQ(LoggedIn().MinuteTimer().interval(), 60000);
  EXPECT_TRUE(LoggedIn().MinuteTimer().isActive());
  // The tabs under the panel area stay the tabs'.
  const QPoint tab = window->Button(kzgui::CDlgMain::kLastTab)->geometry().center();
  EXPECT_EQ(window->childAt(tab), window->Button(kzgui::CDlgMain::kLastTab));
}

TEST_F(AccountPanels, LogInShowsTheLoggedInPanelLogOutTheLoginPanel) {
  KZ_NEED_SERVICE();
  StartService();
  ASSERT_TRUE(kztest::SignUp(service->Base(), "frank", "secret1"));
  OpenWindow(service->Base());
  Login().UserNameField()->setText("  frank ");
  Login().PasswordField()->setText("secret1");
  QTest::mouseClick(Login().Button(kzgui::CDlgUnlogin::kLogin), Qt::LeftButton);
  // Off the window thread: the click returned, the cursor waits, a second click is ignored.
  EXPECT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(window->Account().Login("frank", "secret1"), kz::cloud::Account::LoginStart::kIgnored);
  ASSERT_TRUE(QTest::qWaitFor([&] { return LoggedInShown(); }, 20000));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(LoggedIn().UserNameLabel()->text(), "frank");
  EXPECT_EQ(LoggedIn().ScoreLabel()->text(), "积分：1");
  EXPECT_EQ(LoggedIn().LevelLabel()->text(), "等级：1");
  EXPECT_EQ(honorChecks, 1);
  EXPECT_TRUE(messages.empty());

  QTest::mouseClick(LoggedIn().LogOutButton(), Qt::LeftButton);
  EXPECT_TRUE(window->LoginPanel()->isVisible());
  EXPECT_FALSE(window->LoggedInPanel()->isVisible());
  EXPECT_TRUE(services->session.Snapshot().token.empty());
  EXPECT_EQ(services->session.UserName(), "frank");  // stays for the next start
}

TEST_F(AccountPanels, AWrongPasswordShowsTheServicesMessage) {
  KZ_NEED_SERVICE();
  StartService();
  ASSERT_TRUE(kztest::SignUp(service->Base(), "gina", "secret1"));
  OpenWindow(service->Base());
  Login().UserNameField()->setText("gina");
  Login().PasswordField()->setText("secret2");
  Login().RunCommand(kzgui::CDlgUnlogin::kLogin);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 20000));
  EXPECT_NE(messages[0].find("Wrong user name or password"), std::string::npos);
  EXPECT_FALSE(window->LoggedInPanel()->isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(AccountPanels, ARememberedPasswordLogsInAutomaticallyAndRegisterOpensThePage) {
  KZ_NEED_SERVICE();
  StartService();
  ASSERT_TRUE(kztest::SignUp(service->Base(), "hank", "secret1"));
  // A previous run logged hank in and remembered the password.
  ASSERT_TRUE(Db().Execute("update kz_global set last_user='hank'"));
  ASSERT_TRUE(Db().Execute("insert into kz_user(user_name,user_pwd,profile_active,sync_last) values('hank','secret1',1,0)"));
  services->session.SetUserName("hank");
  OpenWindow(service->Base());
  EXPECT_TRUE(Login().AutoLoginPending());
  ASSERT_TRUE(QTest::qWaitFor([&] { return LoggedInShown(); }, 20000));
  EXPECT_EQ(Login().UserNameField()->text(), "hank");
  EXPECT_EQ(LoggedIn().UserNameLabel()->text(), "hank");

  Login().RunCommand(kzgui::CDlgUnlogin::kRegister);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.empty(); }, 20000));
  EXPECT_EQ(opened[0].toString().toStdString().rfind(service->Base(), 0), 0u) << opened[0].toString().toStdString();
  Login().RunCommand(kzgui::CDlgUnlogin::kForget);
  ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() == 2; }, 20000));
  EXPECT_TRUE(messages.empty());
}

TEST_F(AccountPanels, TheLocalUserIsNeverLoggedInAutomatically) {
  OpenWindow("http://127.0.0.1:9/");
  QTest::qWait(1200);
  EXPECT_FALSE(Login().AutoLoginPending());
  EXPECT_TRUE(Login().UserNameField()->text().isEmpty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(AccountPanels, ClosingWhileLoggedInSendsOneLastUpload) {
  KZ_NEED_SERVICE();
  StartService();
  ASSERT_TRUE(kztest::SignUp(service->Base(), "ivy", "secret1"));
  OpenWindow(service->Base());
  Login().UserNameField()->setText("ivy");
  Login().PasswordField()->setText("secret1");
  Login().RunCommand(kzgui::CDlgUnlogin::kLogin);
  ASSERT_TRUE(QTest::qWaitFor([&] { return LoggedInShown(); }, 20000));
  const std::string token = services->session.Snapshot().token;
  ASSERT_EQ(kz::cloud::GetServiceVersion("ivy", token, nullptr, service->Base()).version, 0);
  window.reset();  // the shutdown of the window
  const kz::cloud::VersionAnswer after = kz::cloud::GetServiceVersion("ivy", token, nullptr, service->Base());
  EXPECT_EQ(after.outcome, kz::cloud::CallOutcome::kOk);
  EXPECT_EQ(after.version, 1);
}

TEST_F(AccountPanels, StatusReportsOfTheMouseAreUploadedWhileTheReaderRuns) {
  KZ_NEED_SERVICE();
  StartService();
  ASSERT_TRUE(kztest::SignUp(service->Base(), "jack", "secret1"));
  OpenWindow(service->Base());
  Login().UserNameField()->setText("jack");
  Login().PasswordField()->setText("secret1");
  Login().RunCommand(kzgui::CDlgUnlogin::kLogin);
  ASSERT_TRUE(QTest::qWaitFor([&] { return LoggedInShown(); }, 20000));
  const std::string token = services->session.Snapshot().token;
  // The reader, the writer and both sync threads at once: each report is stored and uploaded.
  window->DeviceTimerTick();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->ReaderRunning(); }, 5000));
  mouse->Click(kz::device::StatusReport::kClickLeft);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return kz::cloud::GetServiceVersion("jack", token, nullptr, service->Base()).version >= 1; }, 20000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return services->session.Snapshot().syncLast >= 1; }, 20000));
  EXPECT_TRUE(messages.empty());
}

}  // namespace
