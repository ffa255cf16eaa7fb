// The support page's model over a writer thread and the simulated mouse: the check's status lines
// come back on the owning thread in order, flashing goes out as one sequence, the version is kept.
#include <gtest/gtest.h>

#include <memory>

#include "base/dispatcher.h"
#include "device/device_writer.h"
#include "device/hidm.h"
#include "device/sim_mouse.h"
#include "update/support_model.h"
#include "update_fixture.h"

namespace {

const std::string kManifestUrl = "http://updates:4778/kzver.txt";
const std::string kImageUrl = "http://updates:4778/fw05.bin";

struct ModelRun {
  kztest::TempDir dir;
  std::shared_ptr<kz::device::SimulatedMouse> mouse = std::make_shared<kz::device::SimulatedMouse>();
  kz::QueueDispatcher dispatcher;
  std::unique_ptr<kz::device::DeviceWriter> writer;
  kztest::FakeDownloader server;
  std::string firmware = "0.3";
  std::vector<std::string> recorded;
  std::vector<std::vector<std::string>> shownLines;
  std::vector<std::pair<long long, long long>> progress;
  int handOffs = 0;
  std::unique_ptr<kz::update::SupportModel> model;

  explicit ModelRun(int startDelayMs = 0) {
    kz::device::InstallBackend(mouse);
    writer = std::make_unique<kz::device::DeviceWriter>(kz::device::ChannelLink(), dispatcher);
    kz::update::SupportModel::Options options;
    options.dispatcher = &dispatcher;
    options.writer = writer.get();
    options.downloader = &server;
    options.dataDir = dir.path();
    options.softwareVersion = "1.17";
    options.manifestUrl = kManifestUrl;
    options.firmwareVersion = [this] { return firmware; };
    options.firmwareFlashed = [this](const std::string& v) {
      recorded.push_back(v);
      firmware = v;
    };
    options.handOff = [this] { ++handOffs; };
    options.startDelayMs = startDelayMs;
    model = std::make_unique<kz::update::SupportModel>(options);
    kz::update::SupportModel::Observer observer;
    observer.statusLines = [this](const std::vector<std::string>& lines) { shownLines.push_back(lines); };
    observer.progress = [this](long long d, long long t) { progress.emplace_back(d, t); };
    model->SetObserver(observer);
  }
  ~ModelRun() {
    model.reset();
    writer.reset();
    kz::device::InstallBackend(nullptr);
  }
  bool RunUntil(const std::function<bool()>& done) { return dispatcher.RunUntil(done, std::chrono::seconds(20)); }
};

std::string Image(int records) {
  std::string text;
  for (int i = 0; i < records; ++i) {
    char address[8];
    std::snprintf(address, sizeof address, "%04X", 0xE800 + i * 2);
    text += kztest::RecordLine(address, "0102") + "\r\n";
  }
  return text + kztest::RecordLine("FDFF", "05") + "\r\n";
}

}  // namespace

TEST(SupportModel, ManualCheckFlashesOnTheWriterAndKeepsTheVersion) {
  ModelRun run;
  run.server.Serve(kManifestUrl, "[kz]\nver=1.17\nhardver=0.5\nhardpath=" + kImageUrl + "\n");
  run.server.Serve(kImageUrl, Image(300));
  run.model->StartManualCheck();
  ASSERT_TRUE(run.RunUntil([&] { return !run.model->ManualCheckRunning() && run.model->StatusLines().size() == 4; }));
  run.dispatcher.RunPending();
  EXPECT_EQ(run.model->StatusLines(),
            (std::vector<std::string>{"正在检查...", "正在下载固件更新...", "固件更新完毕！", "软件版本已是最新版！"}));
  EXPECT_EQ(run.shownLines.front(), std::vector<std::string>{});  // emptied first
  EXPECT_EQ(run.recorded, std::vector<std::string>{"0.5"});
  EXPECT_EQ(run.mouse->FirmwareText(), "0.5");
  EXPECT_EQ(run.mouse->FirmwareRecordCount(), 301);
  // Progress reached the whole image and the bar was hidden at the end.
  bool whole = false;
  for (auto& p : run.progress) whole = whole || p == std::make_pair(301LL, 301LL);
  EXPECT_TRUE(whole);
  EXPECT_EQ(run.progress.back().second, -1);
  EXPECT_EQ(run.handOffs, 0);
}

TEST(SupportModel, FlashFromFileRefusesABadImageAndFlashesAGoodOne) {
  ModelRun run;
  kztest::WriteAll(run.dir / "bad.bin", "<html>404</html>\n");
  bool result = true;
  run.model->FlashFromFile(run.dir / "bad.bin", [&](bool ok) { result = ok; });
  EXPECT_FALSE(result);
  run.dispatcher.RunPending();
  EXPECT_EQ(run.model->StatusLines(), std::vector<std::string>{"无法打开固件更新包！"});
  EXPECT_EQ(run.mouse->FirmwareRecordCount(), 0);

  kztest::WriteAll(run.dir / "fw.bin", Image(10));
  int finished = -1;
  run.model->FlashFromFile(run.dir / "fw.bin", [&](bool ok) { finished = ok; });
  EXPECT_TRUE(run.model->Flashing());
  ASSERT_TRUE(run.RunUntil([&] { return finished != -1; }));
  EXPECT_EQ(finished, 1);
  EXPECT_FALSE(run.model->Flashing());
  EXPECT_EQ(run.mouse->FirmwareText(), "0.5");
  run.dispatcher.RunPending();
  EXPECT_EQ(run.model->StatusLines().back(), "固件更新完毕！");
  // A flash from a file is not a check: the version is left to the mouse's next report.
  EXPECT_TRUE(run.recorded.empty());
}

TEST(SupportModel, StopEndsARunningCheckAndTheModelGoesCleanly) {
  // Nothing is served: the check would fail after its minute of waiting; it is stopped first.
  ModelRun run(60000);
  run.model->StartManualCheck();
  run.model->Stop();
  ASSERT_TRUE(run.RunUntil([&] { return !run.model->ManualCheckRunning(); }));
  run.dispatcher.RunPending();
  EXPECT_EQ(run.model->StatusLines(), std::vector<std::string>{"正在检查..."});
  run.model->StartSilentCheck();
  run.model.reset();  // joins the threads; their late results are dropped
  run.dispatcher.RunPending();
}
