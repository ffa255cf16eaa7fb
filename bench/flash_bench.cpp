// Flashing a firmware image of 2,000 records into the simulated mouse: records per second through
// the whole path (file, check, write sequence, command channel, simulated mouse), and the
// program's own cost per record without the channel (reading, checking, building and running the
// sequence with its log lines against a link that takes every command at once). Rates count
// CPU time; the wall time per flash is the "Time" column.
// Run: flash_bench [--benchmark_filter=...]
#include "base/log.h"
#include "device/channel.h"
#include "device/hidm.h"
#include "device/sim_mouse.h"
#include "device/write_sequence.h"
#include "update/firmware_flash.h"
#include "update/firmware_image.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int kRecords = 2000;

// An image of kRecords S1 records of 16 data bytes, in a temporary file for the bench's life.
class ImageFile {
 public:
  ImageFile() {
    char pattern[] = "/tmp/kz-flash-bench-XXXXXX";
    int fd = ::mkstemp(pattern);
    if (fd < 0) std::abort();
    ::close(fd);
    path_ = pattern;
    std::ofstream out(path_, std::ios::binary);
    for (int i = 0; i < kRecords; ++i) {
      char line[64];
      std::snprintf(line, sizeof line, "S113%04X00112233445566778899AABBCCDDEEFF00\r\n", (0xE800 + i * 16) & 0xFFFF);
      out << line;
    }
  }
  ~ImageFile() { ::unlink(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The log lines of a flash are part of its cost: they go to a real file, removed afterwards.
class BenchLog {
 public:
  BenchLog() : path_("/tmp/kz-flash-bench-log-" + std::to_string(::getpid()) + ".txt") { kz::log::SetPath(path_); }
  ~BenchLog() {
    kz::log::SetPath("");
    ::unlink(path_.c_str());
    ::unlink((path_ + ".1").c_str());
  }

 private:
  std::string path_;
};

const ImageFile& Image() {
  static const ImageFile image;
  return image;
}

void FlashIntoSimulatedMouse(benchmark::State& state) {
  BenchLog log;
  auto mouse = std::make_shared<kz::device::SimulatedMouse>();
  kz::device::InstallBackend(mouse);
  kz::device::OpenConnection();
  kz::device::DirectWriter writer(kz::device::ChannelLink());
  for (auto _ : state) {
    bool ok = false;
    kz::update::FlashFirmware(Image().path(), writer, {}, [&](bool result) { ok = result; });
    if (!ok || mouse->FirmwareRecordCount() != kRecords) state.SkipWithError("the flash did not run to its end");
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
  state.counters["seconds_per_record"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kRecords), benchmark::Counter::kIsRate |
                                                                             benchmark::Counter::kInvert);
  kz::device::InstallBackend(nullptr);
}
BENCHMARK(FlashIntoSimulatedMouse)->Unit(benchmark::kMillisecond);

void FlashOwnCost(benchmark::State& state) {
  BenchLog log;
  long long sent = 0;
  kz::device::DirectWriter writer({[&](std::string_view) { return ++sent, true; }, [](int) {}});
  for (auto _ : state) {
    bool ok = false;
    kz::update::FlashFirmware(Image().path(), writer, {}, [&](bool result) { ok = result; });
    benchmark::DoNotOptimize(ok);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
  state.counters["seconds_per_record"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kRecords), benchmark::Counter::kIsRate |
                                                                             benchmark::Counter::kInvert);
}
BENCHMARK(FlashOwnCost)->Unit(benchmark::kMillisecond);

}  // namespace
