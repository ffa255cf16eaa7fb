// The support page over the window's services (simulated mouse, writer thread, Qt dispatcher) and
// a fake update server: layout, the check with its firmware flash, the firmware command's
// questions, the support mail, the tip box and the new-version label.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QTimer>
#include <QtTest/QTest>

#include <atomic>
#include <cstdlib>
#include <unistd.h>

#include "gui/kit/cdlg_tip.h"
#include "gui/kit/skin_button.h"
#include "gui/update/cdlg_support.h"
#include "store/database.h"
#include "update/support_model.h"
#include "update/update_fixture.h"
#include "window_fixture.h"

namespace {

const std::string kManifestUrl = "http://updates:4778/kzver.txt";
const std::string kImageUrl = "http://updates:4778/fw05.bin";

std::string Image(int records) {
  std::string text;
  for (int i = 0; i < records; ++i) {
    char address[8];
    std::snprintf(address, sizeof address, "%04X", 0xE800 + i * 2);
    text += kztest::RecordLine(address, "0102") + "\r\n";
  }
  return text + kztest::RecordLine("FDFF", "05") + "\r\n";
}

struct SupportPageTest : kztest::WindowFixture {
  std::shared_ptr<kztest::FakeDownloader> server = std::make_shared<kztest::FakeDownloader>();
  std::unique_ptr<kzgui::CDlgSupport> page;
  int plugInQuestions = 0, fileQuestions = 0, handOffs = 0;
  bool answerPlugIn = true;
  QString chosenFile;
  std::vector<QString> openedUrls;
  bool mailWorks = true;

  void Make(bool silent = false, bool tips = false) {
    kzgui::CDlgSupport::Options options;
    options.services = services.get();
    options.downloader = server;
    options.manifestUrl = kManifestUrl;
    options.checkDelayMs = 0;
    options.silentCheck = silent;
    options.useTipBox = tips;
    options.askPlugIn = [this] { return ++plugInQuestions, answerPlugIn; };
    options.chooseImage = [this] { return ++fileQuestions, chosenFile; };
    options.openUrl = [this](const QString& url) { return openedUrls.push_back(url), mailWorks; };
    options.handOff = [this] { ++handOffs; };
    page = std::make_unique<kzgui::CDlgSupport>(std::move(options));
    page->resize(834, 520);
    page->show();
  }
  void TearDown() override {
    page.reset();
    kztest::WindowFixture::TearDown();
  }
  std::string StoredFirmware() {
    kz::store::Recordset rs(Db());
    std::string value;
    if (!rs.Open("select hard_ver from kz_global") || rs.IsEOF()) return "";
    rs.GetFieldValue(0, value);
    return value;
  }
};

// Holds a download at 40 % until released, as a slow link would.
class HeldDownloader : public kz::update::Downloader {
 public:
  std::atomic<bool> release{false};
  std::string body;
  kz::update::DownloadResult Download(const std::string&, const std::string& path, const kz::update::Progress& progress,
                                      const std::atomic<bool>& cancel) override {
    const long long total = static_cast<long long>(body.size());
    if (progress) progress(total * 2 / 5, total);
    while (!release.load() && !cancel.load()) ::usleep(10000);
    if (cancel.load()) return {};
    kztest::WriteAll(path, body);
    if (progress) progress(total, total);
    return {true, 200};
  }
};

// Serves the manifest at once and holds the archive.
class SlowArchiveServer : public kz::update::Downloader {
 public:
  kztest::FakeDownloader fast;
  HeldDownloader held;
  kz::update::DownloadResult Download(const std::string& url, const std::string& path, const kz::update::Progress& progress,
                                      const std::atomic<bool>& cancel) override {
    return url == kManifestUrl ? fast.Download(url, path, progress, cancel) : held.Download(url, path, progress, cancel);
  }
};

}  // namespace

TEST_F(SupportPageTest, ButtonsAndLabelsSitWhereThePageSays) {
  Make();
  const struct {
    int id;
    QRect rect;
  } places[] = {{5000, QRect(135, 284, 142, 40)},
                {5001, QRect(132, 395, 146, 42)},
                {5002, QRect(544, 263, 141, 45)},
                {5003, QRect(542, 356, 144, 42)}};
  for (const auto& place : places) {
    ASSERT_NE(page->Button(place.id), nullptr);
    EXPECT_EQ(page->Button(place.id)->geometry(), place.rect) << place.id;
  }
  EXPECT_EQ(page->SoftwareLabel()->text(), "软件版本号: 1.17");
  EXPECT_EQ(page->FirmwareLabel()->text(), "固件版本号: 0.3");
  EXPECT_FALSE(page->ProgressBar()->isVisible());
}

TEST_F(SupportPageTest, TheCheckFlashesNewFirmwareAndKeepsItsVersion) {
  Make();
  server->Serve(kManifestUrl, "[kz]\nver=1.17\nhardver=0.5\nhardpath=" + kImageUrl + "\n");
  server->Serve(kImageUrl, Image(500));
  QTest::mouseClick(page->Button(5001), Qt::LeftButton);
  EXPECT_EQ(page->StatusText()->text(), "正在检查...");
  bool barSeen = false;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        barSeen = barSeen || page->ProgressBar()->isVisible();
        return !page->Model().ManualCheckRunning() && page->StatusText()->text() == "软件版本已是最新版！";
      },
      20000));
  QCoreApplication::processEvents();
  EXPECT_EQ(page->StatusText()->toolTip(), "正在检查...\r\n正在下载固件更新...\r\n固件更新完毕！\r\n软件版本已是最新版！");
  EXPECT_TRUE(barSeen);
  EXPECT_FALSE(page->ProgressBar()->isVisible());
  EXPECT_EQ(mouse->FirmwareText(), "0.5");
  EXPECT_EQ(services->session.FirmwareVersion(), "0.5");
  EXPECT_EQ(StoredFirmware(), "0.5");
  EXPECT_EQ(page->FirmwareLabel()->text(), "固件版本号: 0.5");
  EXPECT_EQ(handOffs, 0);
}

TEST_F(SupportPageTest, FirmwareFromAFileAsksForTheMouseAndTheFile) {
  Make();
  mouse->Unplug();
  answerPlugIn = false;
  page->RunCommand(5000);
  EXPECT_EQ(plugInQuestions, 1);
  EXPECT_EQ(fileQuestions, 0);  // Cancel ends the command

  answerPlugIn = true;
  page->RunCommand(5000);  // OK goes on; the file dialog is cancelled
  EXPECT_EQ(fileQuestions, 1);
  EXPECT_FALSE(page->Model().Flashing());

  // OK with the mouse still absent: the start command is refused.
  kztest::WriteAll(xdg.dataDir() + "fw.bin", Image(5));
  chosenFile = QString::fromStdString(xdg.dataDir() + "fw.bin");
  page->RunCommand(5000);
  ASSERT_TRUE(QTest::qWaitFor([&] { return page->StatusText()->text() == "更新失败，设备可能未接入电脑!"; }, 10000));

  mouse->Plug();
  page->RunCommand(5000);
  EXPECT_EQ(plugInQuestions, 3);  // not asked with the mouse present
  EXPECT_TRUE(page->Model().Flashing());  // the window did not wait for the mouse
  ASSERT_TRUE(QTest::qWaitFor([&] { return !page->Model().Flashing(); }, 10000));
  EXPECT_EQ(mouse->FirmwareText(), "0.5");
  EXPECT_EQ(page->StatusText()->text(), "固件更新完毕！");
}

TEST_F(SupportPageTest, SupportMailAndItsTipWithoutAMailProgram) {
  Make();
  page->RunCommand(5003);
  EXPECT_EQ(openedUrls, std::vector<QString>{"mailto:support@kzmouse.example"});
  EXPECT_EQ(page->StatusText()->text(), "");
  mailWorks = false;
  page->RunCommand(5003);
  EXPECT_EQ(page->StatusText()->text(), "请先安装配置邮件客户端！或复制地址：support@kzmouse.example");
  page->RunCommand(5002);  // no action
}

TEST_F(SupportPageTest, StatusLinesShowTogetherInTheTipBox) {
  Make(false, true);
  server->Serve(kManifestUrl, "[kz]\nver=1.17\nhardver=0.3\n");
  QString seen;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (kzgui::kit::CDlgTIp* tip = kzgui::kit::CDlgTIp::Current()) {
      seen = tip->text();
      if (seen.contains("软件版本已是最新版！")) kzgui::kit::CDlgTIp::CloseOpen();
    }
  });
  watcher.start(20);
  page->RunCommand(5001);
  ASSERT_TRUE(QTest::qWaitFor([&] { return seen.contains("软件版本已是最新版！") && !kzgui::kit::CDlgTIp::Current(); },
                              10000));
  EXPECT_EQ(seen, "正在检查...\r\n软件版本已是最新版！");
}

TEST_F(SupportPageTest, TheSilentCheckMarksANewVersion) {
  server->Serve(kManifestUrl, "[kz]\nver=1.18\nhardver=0.3\n");
  Make(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return page->NewVersionLabel()->text() == "有新版本！"; }, 10000));
  EXPECT_EQ(page->StatusText()->text(), "");
}

// In the main window's slot 4: the bar follows a download and the window stays responsive. With
// KZ_UPDATE_SHOTS_DIR set (and a display), the screen is captured while the download is held.
TEST_F(SupportPageTest, TheBarFollowsADownloadInTheMainWindow) {
  auto server = std::make_shared<SlowArchiveServer>();
  server->fast.Serve(kManifestUrl, "[kz]\nver=1.18\npath=http://updates:4778/kz118.zip\nhardver=0.3\n");
  server->held.body = std::string(1000000, 'z');
  kzgui::CDlgMain::Options options;
  options.services = services.get();
  options.pages = kzgui::CDlgMain::DefaultPages();
  options.useTray = false;
  options.pages[4] = [server](QWidget* parent, kz::app::Services& s) {
    kzgui::CDlgSupport::Options page;
    page.services = &s;
    page.downloader = server;
    page.manifestUrl = kManifestUrl;
    page.checkDelayMs = 0;
    page.silentCheck = false;
    page.useTipBox = false;
    page.handOff = [] {};
    return new kzgui::CDlgSupport(std::move(page), parent);
  };
  window = std::make_unique<kzgui::CDlgMain>(std::move(options));
  window->show();
  // The window shows its first page half a second after it opens; the support tab comes after.
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->CurrentPage() == 0; }, 5000));
  window->RunCommand(kzgui::CDlgMain::kFirstTab + 4);
  ASSERT_EQ(window->CurrentPage(), 4);
  auto* support = qobject_cast<kzgui::CDlgSupport*>(window->Page(4));
  ASSERT_NE(support, nullptr);
  support->RunCommand(kzgui::CDlgSupport::kCheck);
  ASSERT_TRUE(QTest::qWaitFor([&] { return support->ProgressBar()->isVisible(); }, 10000));
  EXPECT_EQ(support->ProgressBar()->value(), 400);
  EXPECT_EQ(support->ProgressBar()->format(), QString("400000 / 1000000"));
  EXPECT_EQ(support->StatusText()->text(), "正在下载更新...");
  if (const char* shots = std::getenv("KZ_UPDATE_SHOTS_DIR"); shots && *shots && std::getenv("DISPLAY")) {
    QTest::qWait(500);
    QProcess::execute("import", {"-window", "root", QString(shots) + "/support_download.png"});
  }
  server->held.release = true;
  // The archive is no zip: the check ends with the extraction-failed line and the bar goes.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !support->Model().ManualCheckRunning() && !support->ProgressBar()->isVisible(); },
                              10000));
  EXPECT_EQ(support->StatusText()->text(), "解压失败，请重试检查更新或重新下载驱动重新安装！");
}
