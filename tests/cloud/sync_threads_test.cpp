// The upload and version poll threads against a service of the test's own (to steer each answer)
// and against the real kz-service: who is synced, versions, forced log-out and its message, a
// request during a slow upload, the last upload at shutdown, and two computers of one user.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include <json/writer.h>

#include "account_fixture.h"
#include "base/log.h"
#include "cloud/sync_api.h"
#include "cloud/sync_document.h"
#include "local_server.h"
#include "macro/macro_sets.h"
#include "profile/profile_session.h"
#include "service_process.h"

namespace {

using namespace std::chrono_literals;
namespace text = kz::cloud::text;

kz::cloud::SyncOptions Fast() {
  kz::cloud::SyncOptions options;
  options.uploadPause = 50ms;
  options.pollInterval = 100ms;
  return options;
}

// Makes `user` the computer's current user with a token, as a login would leave it.
void PretendLoggedIn(kztest::Computer& pc, const std::string& user, const std::string& token) {
  ASSERT_TRUE(pc.Db().Execute("update kz_global set last_user=?", {user}));
  kz::store::CurrentUser current;
  ASSERT_TRUE(kz::store::LoadCurrentUser(pc.Db(), "pw", current));
  pc.services->session.Update([&](kz::SessionValues& v) {
    v.userName = user;
    v.token = token;
    v.syncLast = current.syncLast;
  });
}

bool TraceHas(const kztest::Computer& pc, const std::string& prefix) {
  for (const std::string& line : pc.Trace())
    if (line.rfind(prefix, 0) == 0) return true;
  return false;
}

// The "03 10" command of a computer's mouse settings page as its trace writes it.
std::string DpiCommand(kztest::Computer& pc) {
  for (const std::string& command : pc.services->Profiles().SlotWrite(kz::profile::kMouseSettingsSlot).Commands()) {
    const std::vector<unsigned char> bytes = kz::device::CommandTextToBytes(command);
    if (bytes.size() < 2 || bytes[1] != 0x10) continue;
    std::string line;
    char hex[4];
    for (unsigned char b : bytes) {
      std::snprintf(hex, sizeof hex, "%02X", b);
      line += (line.empty() ? "" : " ") + std::string(hex);
    }
    return line;
  }
  return {};
}

// A service whose answers the test sets; counts what it was asked.
struct FakeService {
  kztest::LocalServer server;
  std::atomic<int> sets{0}, versions{0}, gets{0};
  std::mutex mutex;
  std::string setReply = R"({"result":100,"version":7})";
  std::string versionReply = R"({"result":100,"data":"0"})";
  std::string getReply;
  std::atomic<int> setDelayMs{0};
  std::atomic<bool> holdSets{false};
  std::atomic<bool> inSet{false};

  FakeService() {
    server.server().Post(R"(/api/set/(.*))", [this](const httplib::Request&, httplib::Response& res) {
      inSet = true;
      ++sets;
      if (int delay = setDelayMs.load()) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
      for (int i = 0; holdSets.load() && i < 1000; ++i) std::this_thread::sleep_for(10ms);
      inSet = false;
      std::lock_guard lock(mutex);
      res.set_content(setReply, "application/json");
    });
    server.server().Post(R"(/api/get_version/(.*))", [this](const httplib::Request&, httplib::Response& res) {
      ++versions;
      std::lock_guard lock(mutex);
      res.set_content(versionReply, "application/json");
    });
    server.server().Post(R"(/api/get/(.*))", [this](const httplib::Request&, httplib::Response& res) {
      ++gets;
      std::lock_guard lock(mutex);
      res.set_content(getReply, "application/json");
    });
  }
  // The handlers read the members below: the server ends before they go.
  ~FakeService() {
    holdSets = false;
    server.Stop();
  }
  void Set(std::string& which, std::string reply) {
    std::lock_guard lock(mutex);
    which = std::move(reply);
  }
};

struct SyncThreads : ::testing::Test {
  kztest::TempDir logDir;
  FakeService service;
  void SetUp() override {
    kz::log::SetPath(logDir / "kz_log.txt");
    ASSERT_TRUE(service.server.Start());
  }
  void TearDown() override { kz::log::SetPath(""); }
};

TEST_F(SyncThreads, NothingIsSyncedForTheLocalUserOrWithoutAToken) {
  kztest::Computer pc(service.server.Base(), Fast());
  pc.engine->Start();
  for (auto [user, token] : {std::pair<std::string, std::string>{kz::kLocalUserName, "tok"}, {"alice", ""}}) {
    pc.services->session.Update([&](kz::SessionValues& v) {
      v.userName = user;
      v.token = token;
    });
    pc.uploadRequest.Set();
    pc.PumpUntil([] { return false; }, 0.5);
    EXPECT_FALSE(pc.uploadRequest.IsSet()) << user;  // taken, and dropped
  }
  EXPECT_EQ(service.sets.load(), 0);
  EXPECT_EQ(service.versions.load(), 0);
}

TEST_F(SyncThreads, AnUploadSetsTheVersionAndOnlyAHigherServiceVersionDownloads) {
  kztest::Computer pc(service.server.Base(), Fast());
  PretendLoggedIn(pc, "alice", "tok");
  kz::profile::ProfileSession& profiles = pc.services->Profiles();
  // The service's copy: level 2 at 2400.
  profiles.MouseSettings().SetLevelValue(1, 2400);
  ASSERT_TRUE(profiles.SaveAll());
  Json::Value document;
  ASSERT_TRUE(kz::cloud::BuildSyncDocument(pc.Db(), "alice", document));
  document["kz_user"]["user_name"] = "alice";
  Json::Value reply;
  reply["result"] = 100;
  reply["data"] = document;
  service.Set(service.getReply, Json::writeString(Json::StreamWriterBuilder(), reply));
  profiles.MouseSettings().SetLevelValue(1, 1000);
  ASSERT_TRUE(profiles.SaveAll());
  const std::string fromService = [&] {
    kz::settings::MouseSettings s = profiles.MouseSettings().Settings();
    return std::to_string(s.levels[1].value);
  }();

  pc.engine->Start();
  pc.uploadRequest.Set();
  ASSERT_TRUE(pc.PumpUntil([&] { return pc.UserValue("sync_last") == 7; }));
  EXPECT_EQ(pc.Session().syncLast, 7);
  const long long uploaded = pc.Session().lastUploadTime;
  EXPECT_GT(uploaded, 0);
  service.Set(service.versionReply, R"({"result":100,"data":"7"})");
  // "7" is not newer: polls come and go, nothing is downloaded.
  const int polls = service.versions.load();
  ASSERT_TRUE(pc.PumpUntil([&] { return service.versions.load() >= polls + 3; }));
  EXPECT_EQ(service.gets.load(), 0);

  service.Set(service.versionReply, R"({"result":100,"data":"8"})");
  ASSERT_TRUE(pc.PumpUntil([&] { return pc.UserValue("sync_last") == 8; }));
  EXPECT_EQ(service.gets.load(), 1);
  EXPECT_EQ(pc.Session().syncLast, 8);
  EXPECT_EQ(profiles.MouseSettings().Settings().levels[1].value, 2400);
  EXPECT_EQ(pc.reloads, std::vector<int>{1});
  ASSERT_TRUE(pc.PumpUntil([&] { return TraceHas(pc, DpiCommand(pc)); }));
  EXPECT_TRUE(pc.messages.empty());
  EXPECT_EQ(fromService, "1000");
}

TEST_F(SyncThreads, ARefusedPollLogsOutSilentlyUnlessTheUserJustWrote) {
  service.Set(service.versionReply, R"({"result":105,"message":"expired"})");
  service.Set(service.setReply, R"({"result":105,"message":"expired"})");
  kztest::Computer pc(service.server.Base(), Fast());
  PretendLoggedIn(pc, "alice", "tok");
  pc.engine->Start();
  ASSERT_TRUE(pc.PumpUntil([&] { return pc.Session().token.empty(); }));
  EXPECT_EQ(pc.pages, std::vector<std::string>{"login"});
  pc.PumpUntil([] { return false; }, 0.3);
  EXPECT_TRUE(pc.messages.empty());

  // A write the user asked for (apply): the refused upload tells them.
  service.Set(service.versionReply, R"({"result":100,"data":"0"})");
  PretendLoggedIn(pc, "alice", "tok2");
  pc.userAction.Set();
  pc.uploadRequest.Set();
  ASSERT_TRUE(pc.PumpUntil([&] { return !pc.messages.empty(); }));
  EXPECT_EQ(pc.messages, std::vector<std::string>{text::kSyncFailed});
  EXPECT_TRUE(pc.Session().token.empty());

  // Hidden in the tray: logged out, no message.
  PretendLoggedIn(pc, "alice", "tok3");
  pc.messages.clear();
  pc.visible = false;
  pc.userAction.Set();
  pc.uploadRequest.Set();
  ASSERT_TRUE(pc.PumpUntil([&] { return pc.Session().token.empty(); }));
  pc.PumpUntil([] { return false; }, 0.3);
  EXPECT_TRUE(pc.messages.empty());
}

TEST_F(SyncThreads, AFailedDownloadSaysSoAndLogsOut) {
  service.Set(service.versionReply, R"({"result":100,"data":"9"})");
  service.Set(service.getReply, R"({"result":100,"data":{"kz_user":{"user_name":"mallory"}}})");
  kztest::Computer pc(service.server.Base(), Fast());
  PretendLoggedIn(pc, "alice", "tok");
  pc.engine->Start();
  ASSERT_TRUE(pc.PumpUntil([&] { return pc.Session().token.empty(); }));
  EXPECT_EQ(pc.messages, std::vector<std::string>{text::kSyncFailedQuit});
  EXPECT_EQ(pc.UserValue("sync_last"), 0);
  // The other user's rows did not land here.
  kz::store::Recordset rows(pc.Db());
  ASSERT_TRUE(rows.Open("select * from kz_user where user_name=?", {"mallory"}));
  EXPECT_EQ(rows.GetRecordCount(), 0);
}

TEST_F(SyncThreads, ARequestDuringASlowUploadIsFollowedByExactlyOneMore) {
  service.setDelayMs = 500;
  kztest::Computer pc(service.server.Base(), Fast());
  PretendLoggedIn(pc, "alice", "tok");
  pc.engine->Start();
  pc.uploadRequest.Set();
  ASSERT_TRUE(pc.PumpUntil([&] { return service.inSet.load(); }));
  // Two saves while the first upload is on the wire.
  pc.uploadRequest.Set();
  pc.uploadRequest.Set();
  ASSERT_TRUE(pc.PumpUntil([&] { return pc.engine->UploadsAnswered() == 2; }));
  pc.PumpUntil([] { return false; }, 1.0);
  EXPECT_EQ(service.sets.load(), 2);
  EXPECT_EQ(pc.engine->UploadsAnswered(), 2);
}

TEST_F(SyncThreads, ClosingSendsOneLastUploadAndEndsWithoutWaitingForIt) {
  kztest::Computer pc(service.server.Base(), Fast());
  PretendLoggedIn(pc, "alice", "tok");
  pc.engine->Start();
  pc.PumpUntil([] { return false; }, 0.2);  // the upload thread waits for a request now
  service.holdSets = true;                  // the service takes it and never answers in time
  pc.engine->Shutdown();
  EXPECT_EQ(service.sets.load(), 1);
  EXPECT_TRUE(service.inSet.load());  // still held: the engine did not wait for the answer
  service.holdSets = false;
}

TEST_F(SyncThreads, ClosingRightAfterAnUploadStillSendsTheLastOne) {
  kz::cloud::SyncOptions options;  // the real two seconds between uploads
  options.pollInterval = 10s;
  kztest::Computer pc(service.server.Base(), options);
  PretendLoggedIn(pc, "alice", "tok");
  pc.engine->Start();
  pc.uploadRequest.Set();
  ASSERT_TRUE(pc.PumpUntil([&] { return pc.UserValue("sync_last") == 7; }));
  // The thread now rests before its next wait for a request.
  pc.engine->Shutdown();
  EXPECT_EQ(service.sets.load(), 2);
}

TEST_F(SyncThreads, TheMinuteCountsOnlineTimeAndUploadsAfterSixHundredThousandSeconds) {
  std::atomic<long long> now{1'000'000'000};
  kz::Clock clock;
  clock.now = [&] { return static_cast<std::time_t>(now.load()); };
  kztest::Computer pc(service.server.Base(), Fast(), kz::cloud::LocalCalendarDate, clock);
  pc.engine->OnlineMinute();  // nobody logged in
  EXPECT_EQ(pc.UserValue("online_time_min"), 0);
  PretendLoggedIn(pc, "alice", "tok");
  pc.services->session.SetLastUploadTime(now - 600000);
  pc.engine->OnlineMinute();
  EXPECT_EQ(pc.UserValue("online_time_min"), 1);
  EXPECT_FALSE(pc.uploadRequest.IsSet());  // 600000 seconds is not more than 600000
  kz::store::Recordset row(pc.Db());
  ASSERT_TRUE(kz::store::OpenProfileRow(row, 1, "alice"));
  EXPECT_EQ(row.GetRecordCount(), 0);
  pc.services->session.SetLastUploadTime(now - 600001);
  pc.engine->OnlineMinute();
  EXPECT_EQ(pc.UserValue("online_time_min"), 2);
  EXPECT_TRUE(pc.uploadRequest.IsSet());
  EXPECT_EQ(pc.Session().lastUploadTime, now.load());
  ASSERT_TRUE(kz::store::OpenProfileRow(row, 1, "alice"));
  EXPECT_EQ(row.GetRecordCount(), 1);  // the pages were stored first
}

// ---- against the real service ----

struct RealService : ::testing::Test {
  kztest::TempDir dir;
  std::unique_ptr<kztest::ServiceProcess> service;
  void Start(const std::vector<std::string>& extra = {}) {
    kz::log::SetPath(dir / "kz_log.txt");
    service = std::make_unique<kztest::ServiceProcess>(dir.path(), extra);
    ASSERT_TRUE(service->ok()) << service->Log();
  }
  void TearDown() override { kz::log::SetPath(""); }
};

TEST_F(RealService, AnExpiredTokenLogsOutSilentlyAndAfterAnApplyWithTheMessage) {
  KZ_NEED_SERVICE();
  Start({"--token-lifetime", "1"});
  ASSERT_TRUE(kztest::SignUp(service->Base(), "dave", "secret1"));
  kztest::Computer pc(service->Base(), Fast());
  ASSERT_TRUE(pc.LogIn("dave", "secret1"));
  std::this_thread::sleep_for(2100ms);  // the token's one second is over
  pc.engine->Start();
  ASSERT_TRUE(pc.PumpUntil([&] { return pc.Session().token.empty(); }));
  EXPECT_EQ(pc.pages, (std::vector<std::string>{"loggedIn", "login"}));
  pc.PumpUntil([] { return false; }, 0.3);
  EXPECT_TRUE(pc.messages.empty());

  // Again, and this time the user applies a change after the token ran out (the poll is slow
  // enough here that the upload meets the refusal first).
  pc.engine->Shutdown();
  kz::cloud::SyncOptions slowPoll = Fast();
  slowPoll.pollInterval = 60s;
  kztest::Computer second(service->Base(), slowPoll);
  ASSERT_TRUE(second.LogIn("dave", "secret1"));
  second.engine->Start();
  std::this_thread::sleep_for(2100ms);
  second.userAction.Set();
  second.uploadRequest.Set();
  ASSERT_TRUE(second.PumpUntil([&] { return !second.messages.empty(); }));
  EXPECT_EQ(second.messages, std::vector<std::string>{text::kSyncFailed});
  EXPECT_TRUE(second.Session().token.empty());
}

TEST_F(RealService, TwoComputersOfOneUserFollowEachOther) {
  KZ_NEED_SERVICE();
  Start();
  ASSERT_TRUE(kztest::SignUp(service->Base(), "erin", "secret1"));
  kztest::Computer a(service->Base());  // the program's own timing: a poll every 10 s
  kztest::Computer b(service->Base());
  ASSERT_TRUE(a.LogIn("erin", "secret1"));
  ASSERT_TRUE(b.LogIn("erin", "secret1"));
  a.engine->Start();
  b.engine->Start();
  auto pumpBoth = [&](auto done, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(long(seconds * 1000));
    while (std::chrono::steady_clock::now() < end) {
      a.dispatcher.RunUntil([] { return false; }, 20ms);
      b.dispatcher.RunUntil([] { return false; }, 20ms);
      if (done()) return true;
    }
    return done();
  };

  // A: DPI level 2 to 2450, apply (save, then the user's upload).
  kz::profile::ProfileSession& pa = a.services->Profiles();
  pa.MouseSettings().SetLevelValue(1, 2450);
  ASSERT_TRUE(pa.SaveAll());
  a.userAction.Set();
  a.uploadRequest.Set();
  const std::string dpi = DpiCommand(a);
  ASSERT_FALSE(dpi.empty());
  ASSERT_TRUE(pumpBoth([&] { return b.Session().syncLast > 0 && b.Session().syncLast == a.Session().syncLast; }, 25));
  kz::profile::ProfileSession& pb = b.services->Profiles();
  // B's database, B's page and B's mouse.
  kz::store::Recordset row(b.Db());
  ASSERT_TRUE(kz::store::OpenProfileRow(row, pb.ActiveProfile(), "erin"));
  ASSERT_EQ(row.GetRecordCount(), 1);
  long long stored = 0, storedA = -1;
  row.GetFieldValue("dpi_2", stored);
  kz::store::Recordset rowA(a.Db());
  ASSERT_TRUE(kz::store::OpenProfileRow(rowA, pa.ActiveProfile(), "erin"));
  rowA.GetFieldValue("dpi_2", storedA);
  EXPECT_EQ(stored, storedA);
  EXPECT_EQ(pb.MouseSettings().Settings().levels[1].value, 2450);
  EXPECT_FALSE(b.reloads.empty());
  ASSERT_TRUE(pumpBoth([&] { return TraceHas(b, dpi); }, 5)) << dpi;

  // B: a macro on button 6, saved and uploaded; A receives it.
  kz::macro::MacroSets sets(b.Db(), "erin");
  ASSERT_EQ(sets.CreateSet("Games"), kz::macro::NameResult::kAdded);
  long long macroId = 0;
  ASSERT_EQ(sets.CreateMacro("copy", &macroId), kz::macro::NameResult::kAdded);
  ASSERT_TRUE(pb.Buttons().AssignMacroById(6, macroId));
  ASSERT_TRUE(pb.SaveAll());
  const std::string guid = pb.Buttons().Slot(6).macro;
  ASSERT_FALSE(guid.empty());
  b.userAction.Set();
  b.uploadRequest.Set();
  const long long before = a.Session().syncLast;
  ASSERT_TRUE(pumpBoth([&] { return a.Session().syncLast > before && a.Session().syncLast == b.Session().syncLast; },
                       25));
  EXPECT_EQ(pa.Buttons().Slot(6).macro, guid);
  kz::store::Recordset macro(a.Db());
  ASSERT_TRUE(macro.Open("select * from macro_set_detail2 where user_name=? and macro_guid=?", {"erin", guid}));
  EXPECT_EQ(macro.GetRecordCount(), 1);
  EXPECT_TRUE(a.messages.empty());
  EXPECT_TRUE(b.messages.empty());
}

}  // namespace
