#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "update/downloader.h"
#include "update/update_check.h"
#include "update/update_files.h"
#include "update_fixture.h"

namespace {

using kz::update::CheckOutcome;

const std::string kManifestUrl = "http://updates:4778/kzver.txt";
const std::string kImageUrl = "http://updates:4778/fw/fw05.bin";
const std::string kZipUrl = "http://updates:4778/kz118.zip";

std::string Manifest(const std::string& ver, const std::string& hardver, const std::string& extra = "") {
  return "[kz]\r\nver=" + ver + "\r\npath=" + kZipUrl + "\r\nhardver=" + hardver + "\r\nhardpath=" + kImageUrl +
         "\r\n" + extra;
}

// One check over a fake server, recording what it did.
struct CheckRun {
  kztest::TempDir dir;
  kztest::FakeDownloader server;
  kz::update::FlashedVersions flashed;
  std::string firmware = "0.3";
  std::vector<std::string> status;
  std::vector<std::string> flashedImages;  // contents handed to the flasher
  std::vector<std::string> recorded;
  bool flashResult = true;
  int handOffs = 0;
  std::atomic<bool> cancel{false};

  kz::update::CheckEnvironment Env() {
    kz::update::CheckEnvironment env;
    env.dataDir = dir.path();
    env.manifestUrl = kManifestUrl;
    env.softwareVersion = "1.17";
    env.firmwareVersion = [this] { return firmware; };
    env.downloader = &server;
    env.flashed = &flashed;
    env.flash = [this](const std::string& path) {
      flashedImages.push_back(kztest::ReadAll(path));
      return flashResult;
    };
    env.firmwareFlashed = [this](const std::string& version) { recorded.push_back(version); };
    env.status = [this](const std::string& line) { status.push_back(line); };
    env.handOff = [this] { ++handOffs; };
    env.cancel = &cancel;
    env.startDelayMs = 0;
    return env;
  }
  CheckOutcome Manual() { return kz::update::RunManualCheck(Env()); }
  void ServeArchive() {
    ASSERT_TRUE(kztest::MakeZip(dir / "src.zip", {{"bin/kzMouse", "new", false, 0100755}, {"kz_update", "upd"}}));
    server.Serve(kZipUrl, kztest::ReadAll(dir / "src.zip"));
  }
};

const std::string kImage = kztest::RecordLine("FDFF", "05");

}  // namespace

TEST(ManualCheck, MatchingVersionsChangeNothing) {
  CheckRun run;
  run.server.Serve(kManifestUrl, Manifest("1.17", "0.3"));
  EXPECT_EQ(run.Manual(), CheckOutcome::kUpToDate);
  EXPECT_EQ(run.status, std::vector<std::string>{"软件版本已是最新版！"});
  EXPECT_TRUE(run.flashedImages.empty());
  EXPECT_EQ(run.server.Requests(kImageUrl) + run.server.Requests(kZipUrl), 0);
  EXPECT_EQ(kztest::ReadAll(run.dir / "ver.ini"), Manifest("1.17", "0.3"));
}

TEST(ManualCheck, FirmwareFirstThenAnOlderSoftwareIsStillInstalled) {
  CheckRun run;
  run.server.Serve(kManifestUrl, Manifest("1.16", "0.5"));
  run.server.Serve(kImageUrl, kImage);
  run.ServeArchive();
  EXPECT_EQ(run.Manual(), CheckOutcome::kHandedOff);
  EXPECT_EQ(run.status, (std::vector<std::string>{"正在下载固件更新...", "正在下载更新...", "下载完毕，正在解压...",
                                                  "解压完毕!"}));
  EXPECT_EQ(run.flashedImages, std::vector<std::string>{kImage});
  EXPECT_EQ(run.recorded, std::vector<std::string>{"0.5"});
  EXPECT_EQ(run.handOffs, 1);
  EXPECT_EQ(kztest::ReadAll(run.dir / "Update/kzMouse"), "new");
  EXPECT_EQ(kztest::ReadAll(run.dir / "Update/kz_update"), "upd");
  // The image and the archive are gone once used.
  EXPECT_FALSE(kztest::Exists(run.dir / "down/fw05.bin"));
  EXPECT_FALSE(kztest::Exists(run.dir / "down/kz118.zip"));
}

TEST(ManualCheck, AFailedFirmwareDownloadSkipsTheSoftware) {
  // An empty "hardver" differs from every firmware: each check tries the image first.
  for (int status : {404, 500, 0}) {
    CheckRun run;
    run.server.Serve(kManifestUrl, Manifest("1.18", ""));
    if (status) run.server.Serve(kImageUrl, "<html>Not Found</html>", status);
    run.ServeArchive();
    EXPECT_EQ(run.Manual(), CheckOutcome::kFirmwareDownloadFailed) << status;
    EXPECT_EQ(run.status, (std::vector<std::string>{"正在下载固件更新...", "固件下载失败！请重试"})) << status;
    // An error page is never flashed, nor kept under the image's name.
    EXPECT_TRUE(run.flashedImages.empty());
    EXPECT_FALSE(kztest::Exists(run.dir / "down/fw05.bin"));
    EXPECT_EQ(run.server.Requests(kZipUrl), 0);
  }
}

TEST(ManualCheck, AFailedFlashStillChecksTheSoftware) {
  CheckRun run;
  run.flashResult = false;
  run.server.Serve(kManifestUrl, Manifest("1.17", "0.5"));
  run.server.Serve(kImageUrl, kImage);
  EXPECT_EQ(run.Manual(), CheckOutcome::kUpToDate);
  EXPECT_EQ(run.flashedImages.size(), 1u);
  EXPECT_TRUE(run.recorded.empty());
  EXPECT_FALSE(kztest::Exists(run.dir / "down/fw05.bin"));
  EXPECT_EQ(run.status.back(), "软件版本已是最新版！");
}

TEST(ManualCheck, AVersionFlashedOnceIsNotFlashedAgainInTheSameRun) {
  CheckRun run;
  run.server.Serve(kManifestUrl, Manifest("1.17", "0.5"));
  run.server.Serve(kImageUrl, kImage);
  EXPECT_EQ(run.Manual(), CheckOutcome::kUpToDate);
  run.status.clear();
  // The mouse still reports its old version.
  EXPECT_EQ(run.Manual(), CheckOutcome::kUpToDate);
  EXPECT_EQ(run.flashedImages.size(), 1u);
  EXPECT_EQ(run.server.Requests(kImageUrl), 1);
  EXPECT_EQ(run.status, std::vector<std::string>{"软件版本已是最新版！"});
  // A different version offered later is flashed.
  run.server.Serve(kManifestUrl, Manifest("1.17", "0.6"));
  run.Manual();
  EXPECT_EQ(run.flashedImages.size(), 2u);
}

TEST(ManualCheck, ManifestFailures) {
  const struct {
    int status;
    std::string body;
  } cases[] = {{0, ""}, {404, Manifest("1.18", "0.3")}, {200, "[kz]\nhardver=0.3\n"}, {200, "garbage"}};
  for (const auto& c : cases) {
    CheckRun run;
    if (c.status) run.server.Serve(kManifestUrl, c.body, c.status);
    EXPECT_EQ(run.Manual(), CheckOutcome::kNoUpdateInfo) << c.status << c.body;
    EXPECT_EQ(run.status, std::vector<std::string>{"无法获取更新信息，请检查网络！"});
  }
}

TEST(ManualCheck, VerifiedDownloadsRefuseAMismatch) {
  CheckRun run;
  run.ServeArchive();
  run.server.Serve(kImageUrl, kImage);
  const std::string wrong(64, '0');
  run.server.Serve(kManifestUrl, Manifest("1.18", "0.5", "hardsha256=" + wrong + "\r\n"));
  EXPECT_EQ(run.Manual(), CheckOutcome::kFirmwareDownloadFailed);
  EXPECT_TRUE(run.flashedImages.empty());
  EXPECT_FALSE(kztest::Exists(run.dir / "down/fw05.bin"));

  // The image's hash right (in upper case), the archive's wrong: nothing after "正在下载更新...".
  kztest::WriteAll(run.dir / "image", kImage);
  std::string imageHash = kz::update::FileSha256(run.dir / "image");
  for (char& c : imageHash) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  run.server.Serve(kManifestUrl,
                   Manifest("1.18", "0.5", "hardsha256=" + imageHash + "\r\nsha256=" + wrong + "\r\n"));
  run.status.clear();
  EXPECT_EQ(run.Manual(), CheckOutcome::kDownloadFailed);
  EXPECT_EQ(run.flashedImages.size(), 1u);
  EXPECT_EQ(run.status.back(), "正在下载更新...");
  EXPECT_FALSE(kztest::Exists(run.dir / "down/kz118.zip"));
  EXPECT_FALSE(kztest::Exists(run.dir / "Update"));
  EXPECT_EQ(run.handOffs, 0);

  // Both right: installed.
  const std::string zipHash = kz::update::FileSha256(run.dir / "src.zip");
  run.server.Serve(kManifestUrl, Manifest("1.18", "0.6", "hardsha256=" + imageHash + "\r\nsha256=" + zipHash + "\r\n"));
  EXPECT_EQ(run.Manual(), CheckOutcome::kHandedOff);
}

TEST(ManualCheck, ABadArchiveIsNotHandedOver) {
  CheckRun run;
  run.server.Serve(kManifestUrl, Manifest("1.18", "0.3"));
  run.server.Serve(kZipUrl, "not a zip");
  EXPECT_EQ(run.Manual(), CheckOutcome::kExtractFailed);
  EXPECT_EQ(run.status, (std::vector<std::string>{"正在下载更新...", "解压失败，请重试检查更新或重新下载驱动重新安装！"}));
  ASSERT_TRUE(kztest::MakeZip(run.dir / "slip.zip", {{"ok.txt", "ok"}, {"../../evil", "evil"}}));
  run.server.Serve(kZipUrl, kztest::ReadAll(run.dir / "slip.zip"));
  run.status.clear();
  EXPECT_EQ(run.Manual(), CheckOutcome::kExtractFailed);
  EXPECT_EQ(run.status.back(), "解压失败，请重试检查更新或重新下载驱动重新安装！");
  EXPECT_FALSE(kztest::Exists(run.dir.path() + "../evil"));
  EXPECT_TRUE(kztest::Exists(run.dir / "down/kz118.zip"));  // a zip that failed stays
  EXPECT_EQ(run.handOffs, 0);
}

TEST(ManualCheck, ACancelEndsItQuietly) {
  CheckRun run;
  run.server.Serve(kManifestUrl, Manifest("1.18", "0.3"));
  run.cancel = true;
  EXPECT_EQ(run.Manual(), CheckOutcome::kCancelled);
  EXPECT_TRUE(run.status.empty());
}

TEST(SilentCheck, MarksANewVersion) {
  const struct {
    std::string manifest;
    int status;
    bool isNew;
  } cases[] = {{Manifest("1.17", "0.3"), 200, false},
               {Manifest("1.16", "0.3"), 200, true},
               {Manifest("1.17", "0.4"), 200, true},
               {Manifest("1.18", "0.3"), 404, false}};
  for (const auto& c : cases) {
    CheckRun run;
    run.server.Serve(kManifestUrl, c.manifest, c.status);
    std::vector<std::string> labels;
    EXPECT_EQ(kz::update::RunSilentCheck(run.Env(), [&](const std::string& l) { labels.push_back(l); }), c.isNew);
    std::vector<std::string> expected{""};
    if (c.isNew) expected.push_back("有新版本！");
    EXPECT_EQ(labels, expected);
    EXPECT_EQ(kztest::Exists(run.dir / "ver2.ini"), c.status == 200);
    EXPECT_FALSE(kztest::Exists(run.dir / "ver.ini"));
  }
}

TEST(ExtractionFolder, AFileInTheWayKeepsTheArchivesOwnFolder) {
  kztest::TempDir dir;
  EXPECT_EQ(kz::update::ExtractionFolder(dir.path(), dir / "down/kz"), dir / "Update");
  kztest::WriteAll(dir / "Update", "x");
  EXPECT_EQ(kz::update::ExtractionFolder(dir.path(), dir / "down/kz"), dir / "down/kz");
}
