// kzmousectl killed with SIGKILL at random moments: while a first start makes the database, and
// while "profile set --write" stores one of two complete sets of values. After every kill the
// file passes integrity_check, the next run works and sees what is stored, and the profile row
// holds one set whole or is not there at all.
//
// CTest runs a short loop; KZ_KILL_RUNS=200 makes it a long one, KZ_KILL_SEED picks other
// moments and KZ_KILL_MAX_MS the latest one (by default a little past the time a run that is not
// killed takes to finish its store work). Each loop prints its figures.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/paths.h"
#include "store/database.h"
#include "support/test_support.h"

namespace {

using Row = std::vector<kz::store::Value>;

long EnvNumber(const char* name, long fallback) {
  const char* text = std::getenv(name);
  if (!text || !*text) return fallback;
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  return end && *end == '\0' && value > 0 ? value : fallback;
}

// One set of XDG folders for the tool, and the simulated mouse's state beside them.
class Folder {
 public:
  explicit Folder(std::string root) : root_(std::move(root)) {
    for (const char* sub : {"", "data", "state", "config", "run"}) ::mkdir((root_ + sub).c_str(), 0700);
  }
  std::vector<std::string> Env() const {
    return {"XDG_DATA_HOME=" + root_ + "data",     "XDG_STATE_HOME=" + root_ + "state",
            "XDG_CONFIG_HOME=" + root_ + "config", "XDG_RUNTIME_DIR=" + root_ + "run",
            "KZMOUSE_SIM_STATE=" + root_ + "sim.state", "KZMOUSE_SIM_TRACE=", "KZMOUSE_DEVICE="};
  }
  const std::string& Root() const { return root_; }
  std::string Data() const { return root_ + "data/kzMouse/"; }
  std::string Db() const { return Data() + "kzdb.mdb"; }

 private:
  std::string root_;
};

struct Outcome {
  int code = -1;  // 128 + 9 when killed
  std::string output;
  long tookUs = 0;  // from the start to the end of the process
};

// True once the process has ended (a zombie not yet reaped, so its id cannot have been reused).
bool Ended(int pid) {
  const std::string stat = kztest::ReadAll("/proc/" + std::to_string(pid) + "/stat");
  const size_t close = stat.rfind(')');
  return close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] == 'Z' || stat[close + 2] == 'X';
}

// Runs the tool in `folder`; with `killAfterUs` it gets SIGKILL that many microseconds after it
// was started (unless it has finished by then).
Outcome RunTool(const Folder& folder, const std::vector<std::string>& args, long killAfterUs = -1) {
  const std::string out = folder.Root() + "out.txt";
  ::unlink(out.c_str());
  std::vector<std::string> argv{kztest::BinaryDir() + "kzmousectl"};
  argv.insert(argv.end(), args.begin(), args.end());
  Outcome outcome;
  {
    const auto started = std::chrono::steady_clock::now();
    kztest::ChildProcess tool(argv, folder.Env(), out);
    if (!tool.started()) return {-1, "not started"};
    if (killAfterUs >= 0) {
      ::usleep(static_cast<useconds_t>(killAfterUs));
      // Straight to the process: it is not reaped before Wait, so the id is still its own even if
      // it has just ended (ChildProcess::Signal would first spend a poll interval looking).
      ::kill(tool.pid(), SIGKILL);
    }
    // Watched closely: the end of a run that is not killed sets where the kills fall.
    while (!Ended(tool.pid()) && std::chrono::steady_clock::now() - started < std::chrono::seconds(60)) ::usleep(200);
    outcome.tookUs = static_cast<long>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started).count());
    outcome.code = tool.Wait(60);
  }
  outcome.output = kztest::ReadAll(out);
  return outcome;
}

std::set<std::string> Names(const std::string& dir) {
  std::set<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ignored))
    names.insert(entry.path().filename().string());
  return names;
}

// What a reader finds: "" when the database is absent or whole (then `rows` holds every main2
// row without its ID), else what is wrong.
std::string Examine(const std::string& path, std::vector<Row>* rows = nullptr) {
  if (!kz::paths::FileExists(path)) return "";
  kz::store::Database db;
  if (!db.Open(path, kz::store::Database::Mode::kAsIs)) return "cannot open: " + db.GetLastErrorString();
  kz::store::Recordset check(db);
  if (!check.Open("pragma integrity_check")) return "integrity_check failed: " + db.GetLastErrorString();
  std::string verdict;
  check.GetFieldValue(0, verdict);
  if (check.GetRecordCount() != 1 || verdict != "ok") return "integrity_check: " + verdict;
  kz::store::Recordset global(db);
  if (!global.Open("kz_global") || global.GetRecordCount() != 1) return "no single kz_global row";
  if (!rows) return "";
  kz::store::Recordset main2(db);
  if (!main2.Open("select * from main2 order by ID")) return "main2: " + db.GetLastErrorString();
  rows->clear();
  for (; !main2.IsEOF(); main2.MoveNext()) {
    Row row;
    for (int i = 1; i < main2.GetFieldCount(); ++i) row.push_back(main2.GetValue(i));
    rows->push_back(row);
  }
  return "";
}

// The delays of one loop: seeded, so a failing moment can be had again.
class Moments {
 public:
  explicit Moments(long untilUs)
      : seed_(static_cast<unsigned>(EnvNumber("KZ_KILL_SEED", 20240611))),
        untilUs_(EnvNumber("KZ_KILL_MAX_MS", 0) * 1000 > 0 ? EnvNumber("KZ_KILL_MAX_MS", 0) * 1000 : untilUs),
        engine_(seed_),
        pick_(0, untilUs_) {}
  long Next() { return pick_(engine_); }
  std::string Text() const {
    return "seed " + std::to_string(seed_) + ", kills 0.." + std::to_string(untilUs_ / 1000) + " ms after the start";
  }

 private:
  unsigned seed_;
  long untilUs_;
  std::mt19937 engine_;
  std::uniform_int_distribution<long> pick_;
};

// How long `args` takes when nothing stops it: the median of a few runs, each on a folder as
// `prepare` leaves it. The kills then fall anywhere in such a run, its end included.
template <typename Prepare>
long RunLengthUs(const std::vector<std::string>& args, Prepare prepare) {
  std::vector<long> lengths;
  for (int i = 0; i < 5; ++i) {
    const Outcome run = RunTool(prepare(i), args);
    if (run.code != 0) return 0;
    lengths.push_back(run.tookUs);
  }
  std::sort(lengths.begin(), lengths.end());
  return std::clamp(lengths[lengths.size() / 2] * 5 / 4, 3000L, 1000000L);
}

const int kRuns = static_cast<int>(EnvNumber("KZ_KILL_RUNS", 20));
constexpr int kKilled = 128 + SIGKILL;

TEST(KillLoop, AKilledFirstStartLeavesNoDatabaseOrAWholeOne) {
  kztest::TempDir top;
  const std::vector<std::string> show{"--simulate", "profile", "show", "1"};
  Folder reference(top / "reference/");
  const Outcome fresh = RunTool(reference, show);
  ASSERT_EQ(fresh.code, 0) << fresh.output;
  std::vector<std::unique_ptr<Folder>> timed;
  const long length = RunLengthUs(show, [&](int i) -> const Folder& {
    timed.push_back(std::make_unique<Folder>(top / ("timed" + std::to_string(i) + "/")));
    return *timed.back();
  });
  ASSERT_GT(length, 0);
  Moments moments(length);

  int killed = 0, leftWhole = 0;
  for (int run = 0; run < kRuns; ++run) {
    Folder folder(top / ("run" + std::to_string(run) + "/"));
    const long delay = moments.Next();
    SCOPED_TRACE("run " + std::to_string(run) + ", killed " + std::to_string(delay) + " us after its start");
    const Outcome cut = RunTool(folder, show, delay);
    ASSERT_TRUE(cut.code == 0 || cut.code == kKilled) << cut.code << ": " << cut.output;
    killed += cut.code == kKilled;
    leftWhole += cut.code == kKilled && kz::paths::FileExists(folder.Db());
    ASSERT_EQ(Examine(folder.Db()), "");

    // The next start neither finds a half-made file to move aside nor leaves anything behind.
    const Outcome next = RunTool(folder, show);
    ASSERT_EQ(next.code, 0) << next.output;
    EXPECT_EQ(next.output, fresh.output);
    ASSERT_EQ(Examine(folder.Db()), "");
    EXPECT_EQ(Names(folder.Data()), (std::set<std::string>{"kzdb.mdb"}));
    std::filesystem::remove_all(folder.Root());
  }
  std::cout << "first start: " << kRuns << " runs (" << moments.Text() << "): " << killed << " killed, "
            << leftWhole << " of them left a whole database, " << killed - leftWhole << " none\n";
}

TEST(KillLoop, AKilledProfileSetLeavesTheRowWhollyOneSetOrNone) {
  // Two complete sets: every option gives its fields values of their own (a level switched off
  // would keep the previous value), so nothing of the other set shows through a finished run.
  const std::vector<std::string> sets[2] = {
      {"--dpi", "400,800,1600,3200", "--active", "2", "--rate", "2", "--sense", "3", "--sens-x", "4", "--sens-y", "5",
       "--switch", "on", "--double-click", "6", "--scroll", "4", "--pointer-speed", "7", "--light1",
       "on,steady,rgb=112233", "--light2", "off,breathing,rgb=445566", "--light-speed", "2"},
      {"--dpi", "500,1000,2500,4500", "--active", "3", "--rate", "4", "--sense", "8", "--sens-x", "9", "--sens-y", "1",
       "--switch", "off", "--double-click", "2", "--scroll", "8", "--pointer-speed", "1", "--light1",
       "off,breathing,rgb=AABBCC", "--light2", "on,steady,rgb=DDEEFF", "--light-speed", "9"}};
  auto setCommand = [&](int which, bool write) {
    std::vector<std::string> args{"--simulate", "profile", "set", "2"};
    args.insert(args.end(), sets[which].begin(), sets[which].end());
    if (write) args.push_back("--write");
    return args;
  };
  const std::vector<std::string> show{"--simulate", "profile", "show", "2"};

  // What each set looks like stored and shown, each made on a fresh folder.
  kztest::TempDir top;
  Row rows[2];
  std::string shown[2];
  for (int which : {0, 1}) {
    Folder reference(top / ("reference" + std::to_string(which) + "/"));
    const Outcome set = RunTool(reference, setCommand(which, false));
    ASSERT_EQ(set.code, 0) << set.output;
    std::vector<Row> stored;
    ASSERT_EQ(Examine(reference.Db(), &stored), "");
    ASSERT_EQ(stored.size(), 1u);
    rows[which] = stored[0];
    const Outcome out = RunTool(reference, show);
    ASSERT_EQ(out.code, 0) << out.output;
    shown[which] = out.output;
  }
  ASSERT_NE(rows[0], rows[1]);
  Folder none(top / "none/");
  const Outcome unstored = RunTool(none, show);
  ASSERT_EQ(unstored.code, 0) << unstored.output;
  // The store work of a run (what is worth killing) ends where a run without --write ends.
  Folder timed(top / "timed/");
  const long length = RunLengthUs(setCommand(1, false), [&](int) -> const Folder& { return timed; });
  ASSERT_GT(length, 0);
  Moments moments(length);

  Folder folder(top / "loop/");
  int killed = 0, beforeStored = 0, seen[3] = {0, 0, 0};  // row of set A, of set B, no row
  for (int run = 0; run < kRuns; ++run) {
    const int which = run % 2;
    const long delay = moments.Next();
    SCOPED_TRACE("run " + std::to_string(run) + " (set " + "AB"[which] + "), killed " + std::to_string(delay) +
                 " us after its start");
    const Outcome cut = RunTool(folder, setCommand(which, true), delay);
    ASSERT_TRUE(cut.code == 0 || cut.code == kKilled) << cut.code << ": " << cut.output;
    killed += cut.code == kKilled;

    std::vector<Row> stored;
    ASSERT_EQ(Examine(folder.Db(), &stored), "");
    ASSERT_LE(stored.size(), 1u) << "one row per user and profile";
    int found = 2;
    if (!stored.empty()) {
      found = stored[0] == rows[0] ? 0 : stored[0] == rows[1] ? 1 : -1;
      ASSERT_NE(found, -1) << "the row mixes the two sets";
    }
    if (cut.code == 0) {
      EXPECT_EQ(found, which) << "a run that finished stored its set";
    }
    beforeStored += cut.code == kKilled && found != which;
    ++seen[found];

    const Outcome next = RunTool(folder, show);
    ASSERT_EQ(next.code, 0) << next.output;
    EXPECT_EQ(next.output, found == 2 ? unstored.output : shown[found]);
  }
  EXPECT_EQ(Names(folder.Data()), (std::set<std::string>{"kzdb.mdb"}));
  std::cout << "profile set: " << kRuns << " runs (" << moments.Text() << "): " << killed << " killed, "
            << beforeStored << " of them before their set was stored; the row was set A " << seen[0]
            << " times, set B " << seen[1] << " times, absent " << seen[2] << " times, mixed never\n";
}

}  // namespace
