#pragma once
// The main window over a temporary database, a log of its own and the in-process simulated mouse.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <QtTest/QTest>

#include <algorithm>
#include <memory>

#include "app/services.h"
#include "app/startup.h"
#include "base/log.h"
#include "base/paths.h"
#include "device/device_writer.h"
#include "device/hidm.h"
#include "device/sim_mouse.h"
#include "gui/app/cdlg_main.h"
#include "gui/app/qt_dispatcher.h"
#include "gui/kit/cdlg_tip.h"
#include "gui/settings/cdlg_light.h"
#include "gui/settings/cdlg_msetting.h"
#include "store/schema.h"
#include "store/users.h"
#include "support/test_services.h"
#include "support/test_support.h"

namespace kztest {

struct WindowFixture : ::testing::Test {
  kztest::ScopedXdg xdg;
  std::shared_ptr<kz::device::SimulatedMouse> mouse = std::make_shared<kz::device::SimulatedMouse>();
  kzgui::QtDispatcher dispatcher;
  std::unique_ptr<kz::app::Services> services;
  std::unique_ptr<kzgui::CDlgMain> window;

  // The pages of the window program; a test may change them before SetUp.
  kz::profile::ProfileSession::Options pages;

  // nullptr keeps them in memory.
  std::shared_ptr<kz::settings::PointerSettings> pointer;

  void SetUp() override {
    kz::paths::MakeDirs(xdg.dataDir());
    kz::log::SetPath(LogPath());
    kztest::TestServiceOptions options;
    options.dataDir = xdg.dataDir();
    options.dispatcher = &dispatcher;
    options.backend = mouse;
    options.pages = pages;
    options.pointer = pointer;
    services = kztest::MakeTestServices(std::move(options));
    ASSERT_EQ(kz::app::OpenStoreAndUser(*services, kz::app::kWindowBusyTimeoutMs), kz::app::StoreResult::kOk);
  }

  void TearDown() override {
    window.reset();
    services.reset();
    kz::log::SetPath("");
  }

  kz::store::Database& Db() { return services->db; }
  // Until the writer thread has sent everything and its results are back on this thread.
  void WaitForMouse() {
    auto& writer = static_cast<kz::device::DeviceWriter&>(services->Writer());
    EXPECT_TRUE(QTest::qWaitFor([&] { return writer.Idle(); }, 10000));
    QCoreApplication::processEvents();
  }
  kz::profile::ProfileSession& Profiles() { return services->Profiles(); }

  std::string LogPath() const { return xdg.root().path() + "kz_log.txt"; }

  void Open() {
    kzgui::CDlgMain::Options options;
    options.services = services.get();
    options.pages = kzgui::CDlgMain::DefaultPages();
    options.useTray = false;
    window = std::make_unique<kzgui::CDlgMain>(std::move(options));
    window->show();
  }

  // The one-second device timer would start the reader at a moment of its own.
  void StopDeviceTimer() {
    for (QTimer* timer : window->findChildren<QTimer*>())
      if (timer->isSingleShot() && timer->interval() == kzgui::CDlgMain::kDeviceTimerMs) timer->stop();
  }

  // Runs a window command that needs no answer.
  void RunAndWait(int command) {
    window->RunCommand(command);
    WaitForMouse();
  }

  kzgui::CDlgMSetting& Settings() { return *qobject_cast<kzgui::CDlgMSetting*>(window->Page(0)); }
  kzgui::CDlgLight& Lights() { return *qobject_cast<kzgui::CDlgLight*>(window->Page(2)); }

  bool Logged(const std::string& message) {
    auto messages = kztest::LogMessages(LogPath());
    return std::find(messages.begin(), messages.end(), message) != messages.end();
  }
};

}  // namespace kztest
