#pragma once
// One computer of the account tests: its own data folder and database, its own simulated mouse
// (reached through a writer thread of its own, so two computers live in one process), the four
// events, the sync engine and the account, and a host that records what the window would show.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/services.h"
#include "base/dispatcher.h"
#include "base/event.h"
#include "cloud/account.h"
#include "cloud/sync_engine.h"
#include "device/channel.h"
#include "device/device_writer.h"
#include "device/sim_mouse.h"
#include "store/users.h"
#include "support/test_services.h"
#include "support/test_support.h"

namespace kztest {

struct Computer {
  TempDir dir;
  kz::QueueDispatcher dispatcher;
  std::shared_ptr<kz::device::SimulatedMouse> mouse;
  std::unique_ptr<kz::app::Services> services;
  kz::Event uploadQuit{kz::Event::Reset::Manual};
  kz::Event uploadRequest{kz::Event::Reset::Manual};
  kz::Event userAction{kz::Event::Reset::Auto};
  kz::Event pollQuit{kz::Event::Reset::Manual};

  // What the window would have shown, in order (owning thread only).
  std::vector<std::string> messages;
  std::vector<std::string> pages;  // "login", "loggedIn"
  std::string shownUser;
  long long score = -1, level = -1;
  int honorChecks = 0;
  std::vector<int> reloads;
  std::vector<bool> busy;
  std::vector<std::string> opened;
  bool visible = true;

  std::unique_ptr<kz::cloud::SyncEngine> engine;
  std::unique_ptr<kz::cloud::Account> account;

  explicit Computer(const std::string& base, kz::cloud::SyncOptions options = {},
                    kz::cloud::LocalDateOf dateOf = kz::cloud::LocalCalendarDate, kz::Clock clock = {}) {
    mouse = std::make_shared<kz::device::SimulatedMouse>("", dir / "trace.txt");
    std::string error;
    mouse->Open(kz::kMouseVendorId, kz::kMouseProductId, error);
    kz::device::DeviceLink link;
    std::weak_ptr<kz::device::SimulatedMouse> weak = mouse;
    link.send = [weak](std::string_view text) {
      std::shared_ptr<kz::device::SimulatedMouse> m = weak.lock();
      const std::vector<unsigned char> bytes = kz::device::CommandTextToBytes(text);
      std::string why;
      return m && !bytes.empty() && m->Write(bytes.data(), static_cast<int>(bytes.size()), why) ==
                                        static_cast<int>(bytes.size());
    };
    link.pause = [](int) {};
    kz::app::ServiceParts parts;
    parts.values.dataDir = dir.path();
    parts.values.programDir = dir.path();
    parts.dispatcher = &dispatcher;
    parts.pointer = std::make_shared<kz::settings::InMemoryPointerSettings>();
    parts.writer = std::make_unique<kz::device::DeviceWriter>(link, dispatcher);
    parts.clock = std::move(clock);
    parts.pages.pageSlots = 3;
    services = std::make_unique<kz::app::Services>(std::move(parts));
    kz::app::OpenStoreAndUser(*services, 1000);
    options.apiBase = base;
    engine = std::make_unique<kz::cloud::SyncEngine>(
        *services, kz::cloud::SyncEvents{uploadQuit, uploadRequest, userAction, pollQuit}, Host(), options);
    account = std::make_unique<kz::cloud::Account>(*engine, std::move(dateOf));
  }
  ~Computer() {
    engine->Shutdown();
    account.reset();
    engine.reset();
    services.reset();
  }

  kz::cloud::AccountHost Host() {
    kz::cloud::AccountHost host;
    host.message = [this](const std::string& text) { messages.push_back(text); };
    host.windowVisible = [this] { return visible; };
    host.showLoginPage = [this] { pages.push_back("login"); };
    host.showLoggedInPage = [this](const std::string& user, long long s, long long l) {
      pages.push_back("loggedIn");
      shownUser = user;
      score = s;
      level = l;
    };
    host.pagesReloaded = [this](int profile) { reloads.push_back(profile); };
    host.honorCheck = [this] { ++honorChecks; };
    host.busy = [this](bool on) { busy.push_back(on); };
    host.openAddress = [this](const std::string& address) {
      opened.push_back(address);
      return true;
    };
    return host;
  }

  // Runs the owning thread's work until `done` holds (at most `seconds`); `done` is looked at
  // every 20 ms too, as what it watches may change on another thread without a task for this one.
  template <typename F>
  bool PumpUntil(F done, double seconds = 15) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
    while (std::chrono::steady_clock::now() < end)
      if (dispatcher.RunUntil([&] { return done(); }, std::chrono::milliseconds(20))) return true;
    dispatcher.RunPending();
    return done();
  }

  // The login command to its end; true when the logged-in page was shown.
  bool LogIn(const std::string& name, const std::string& password) {
    bool finished = false, shown = false;
    if (account->Login(name, password, [&](bool s) {
          finished = true;
          shown = s;
        }) != kz::cloud::Account::LoginStart::kStarted)
      return false;
    PumpUntil([&] { return finished; }, 30);
    return shown;
  }

  kz::SessionValues Session() const { return services->session.Snapshot(); }
  kz::store::Database& Db() { return services->db; }

  // A value of the current user's kz_user row.
  long long UserValue(const std::string& column) {
    kz::store::Recordset row(services->db);
    long long value = -1;
    if (row.Open("select * from kz_user where user_name=?", {services->session.UserName()}) &&
        row.GetRecordCount() > 0)
      row.GetFieldValue(column, value);
    return value;
  }
  std::string UserText(const std::string& column) {
    kz::store::Recordset row(services->db);
    std::string value;
    if (row.Open("select * from kz_user where user_name=?", {services->session.UserName()}) &&
        row.GetRecordCount() > 0)
      row.GetFieldValue(column, value);
    return value;
  }
  std::vector<std::string> Trace() const { return ReadLines(dir / "trace.txt"); }
};

}  // namespace kztest
