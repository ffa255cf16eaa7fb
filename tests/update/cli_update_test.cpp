// kzmousectl's update commands against the built tool: firmware flash into the simulated mouse
// (its trace), update check against an HTTP server of the test on a free loopback port.
#include <gtest/gtest.h>

#include <httplib.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "update_fixture.h"

namespace {

using kztest::RunTool;

// The simulated mouse's files and the XDG folders in the test's folder.
struct ToolEnv {
  kztest::ScopedXdg xdg;
  kztest::ScopedEnv state{"KZMOUSE_SIM_STATE", (xdg.root().path() + "sim.state").c_str()};
  kztest::ScopedEnv trace{"KZMOUSE_SIM_TRACE", (xdg.root().path() + "trace").c_str()};
  std::vector<std::string> Trace() { return kztest::ReadLines(xdg.root().path() + "trace"); }
};

class ManifestServer {
 public:
  ManifestServer() {
    server_.Get("/kzver.txt", [this](const httplib::Request&, httplib::Response& res) {
      std::lock_guard lock(mutex_);
      res.status = status_;
      res.set_content(body_, "text/plain");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    for (int i = 0; i < 500 && !server_.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ~ManifestServer() {
    server_.stop();
    thread_.join();
  }
  void Serve(std::string body, int status = 200) {
    std::lock_guard lock(mutex_);
    body_ = std::move(body);
    status_ = status;
  }
  std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = -1;
  std::mutex mutex_;  // the server's threads read what the test changes
  std::string body_;
  int status_ = 200;
};

}  // namespace

TEST(CliFirmware, FlashRunsTheSequenceIntoTheMouse) {
  ToolEnv env;
  const std::string image = env.xdg.root().path() + "fw.bin";
  kztest::WriteAll(image, kztest::RecordLine("E800", "0102") + "\r\n" + kztest::RecordLine("FDFF", "21") + "\r\n");
  auto run = RunTool("kzmousectl", {"--simulate", "firmware", "flash", image});
  EXPECT_EQ(run.code, 0) << run.output;
  EXPECT_EQ(run.output, "固件更新完毕！\n");
  std::vector<std::string> trace = env.Trace();
  ASSERT_EQ(trace.size(), 1u + 11 + 2 + 1 + 5);
  EXPECT_EQ(trace[0], "03 58 02");
  EXPECT_EQ(trace[12], "03 58 03 02 E8 00 01 02");
  EXPECT_EQ(trace[14], "03 58 01");
  auto status = RunTool("kzmousectl", {"--simulate", "status", "--json"});
  EXPECT_NE(status.output.find("\"2.1\""), std::string::npos) << status.output;
}

TEST(CliFirmware, RefusedImagesAndUsageSendNothing) {
  ToolEnv env;
  const std::string image = env.xdg.root().path() + "page.bin";
  kztest::WriteAll(image, "<html>404 Not Found</html>\n");
  auto run = RunTool("kzmousectl", {"--simulate", "firmware", "flash", image});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.output, "无法打开固件更新包！\n");
  EXPECT_EQ(RunTool("kzmousectl", {"--simulate", "firmware", "flash"}).code, 2);
  EXPECT_EQ(RunTool("kzmousectl", {"--simulate", "firmware", "write", image}).code, 2);
  EXPECT_TRUE(env.Trace().empty());
}

TEST(CliUpdate, CheckShowsWhatTheManifestOffers) {
  ToolEnv env;
  ManifestServer server;
  kztest::ScopedEnv host("KZMOUSE_UPDATE_HOST", server.Host().c_str());
  server.Serve("[kz]\r\nver=1.17\r\npath=x.zip\r\nhardver=0.4\r\nhardpath=fw.bin\r\n");
  auto run = RunTool("kzmousectl", {"update", "check", "--json"});
  EXPECT_EQ(run.code, 0) << run.output;
  EXPECT_EQ(run.output,
            "{\n  \"firmware\" : \n  {\n    \"installed\" : \"0.3\",\n    \"new\" : true,\n    \"offered\" : \"0.4\"\n  },\n"
            "  \"software\" : \n  {\n    \"installed\" : \"1.17\",\n    \"new\" : false,\n    \"offered\" : \"1.17\"\n  }\n}\n");
  run = RunTool("kzmousectl", {"update", "check"});
  EXPECT_EQ(run.output,
            "software: installed 1.17, offered 1.17\nfirmware: installed 0.3, offered 0.4 (new)\n");
  // The check made no database.
  EXPECT_FALSE(kztest::Exists(env.xdg.dataDir() + "kzdb.mdb"));
}

TEST(CliUpdate, AFailedCheckSaysSoAndFails) {
  ToolEnv env;
  ManifestServer server;
  kztest::ScopedEnv host("KZMOUSE_UPDATE_HOST", server.Host().c_str());
  for (int status : {404, 200}) {
    server.Serve(status == 404 ? "[kz]\nver=1.18\n" : "[kz]\nhardver=0.3\n", status);
    auto run = RunTool("kzmousectl", {"update", "check", "--json"});
    EXPECT_EQ(run.code, 1) << status;
    EXPECT_EQ(run.output, "无法获取更新信息，请检查网络！\n") << status;
  }
  EXPECT_EQ(RunTool("kzmousectl", {"update", "fetch"}).code, 2);
}
