// Throughput of the device link: command texts through SendCommandText into the simulated mouse,
// and status reports decoded. Run: device_bench [--benchmark_filter=...]
#include "base/log.h"
#include "device/channel.h"
#include "device/hidm.h"
#include "device/sim_mouse.h"
#include "device/status_report.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace kz::device;

// The simulated mouse installed and opened; the log goes nowhere so that it does not count.
class SimulatedLink {
 public:
  SimulatedLink() {
    kz::log::SetPath("/dev/null");
    InstallBackend(mouse_);
    OpenConnection();
  }
  ~SimulatedLink() {
    InstallBackend(nullptr);
    kz::log::SetPath("");
  }
  std::shared_ptr<SimulatedMouse> mouse_ = std::make_shared<SimulatedMouse>();
};

void SendCommands(benchmark::State& state, const std::string& text) {
  SimulatedLink link;
  for (auto _ : state) {
    bool ok = SendCommandText(text);
    benchmark::DoNotOptimize(ok);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(std::to_string(CommandTextToBytes(text).size()) + " bytes");
}

void BM_SendDpiCommand(benchmark::State& state) { SendCommands(state, "03 10 04 01 20 40 80 A4 "); }
BENCHMARK(BM_SendDpiCommand);

void BM_SendButtonMap(benchmark::State& state) { SendCommands(state, "03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9 "); }
BENCHMARK(BM_SendButtonMap);

void BM_SendMacroBlock(benchmark::State& state) {
  std::string text = "03 14 05 00 ";
  for (int i = 0; i < 15; ++i) text += i % 2 ? "82 04 00 08 " : "81 04 00 08 ";
  SendCommands(state, text);  // the longest command: 64 bytes
}
BENCHMARK(BM_SendMacroBlock);

void BM_CommandTextToBytes(benchmark::State& state) {
  const std::string text = "03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9 ";
  for (auto _ : state) benchmark::DoNotOptimize(CommandTextToBytes(text));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CommandTextToBytes);

void BM_DecodeStatusReport(benchmark::State& state) {
  const std::vector<unsigned char> report = SimulatedMouse().StatusReport();
  for (auto _ : state) {
    auto decoded = StatusReport::Decode(report.data(), static_cast<int>(report.size()));
    benchmark::DoNotOptimize(decoded);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeStatusReport);

// The whole exchange the reader makes: "03F9" out, the report read back and decoded.
void BM_StatusQueryRoundTrip(benchmark::State& state) {
  SimulatedLink link;
  unsigned char buffer[1024];
  for (auto _ : state) {
    SendCommandText("03F9");
    int n = HIDM_Read(buffer, sizeof buffer);
    auto decoded = StatusReport::Decode(buffer, n);
    benchmark::DoNotOptimize(decoded);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StatusQueryRoundTrip);

}  // namespace
