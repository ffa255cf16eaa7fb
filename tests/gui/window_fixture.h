#pragma once
// The main window over a temporary database, a log of its own and the in-process simulated mouse.
#include <gtest/gtest.h>

#include <QTimer>

#include <algorithm>
#include <memory>

#include "base/app_state.h"
#include "base/log.h"
#include "base/paths.h"
#include "device/hidm.h"
#include "device/sim_mouse.h"
#include "gui/app/cdlg_main.h"
#include "gui/kit/cdlg_tip.h"
#include "gui/settings/cdlg_light.h"
#include "gui/settings/cdlg_msetting.h"
#include "store/schema.h"
#include "store/users.h"
#include "support/test_support.h"

namespace kztest {

struct WindowFixture : ::testing::Test {
  kztest::ScopedXdg xdg;
  // The desktop the tests run on is never asked about, let alone changed.
  kztest::ScopedEnv desktop{"XDG_CURRENT_DESKTOP", nullptr};
  std::shared_ptr<kz::device::SimulatedMouse> mouse = std::make_shared<kz::device::SimulatedMouse>();
  std::unique_ptr<kzgui::CDlgMain> window;

  void SetUp() override {
    kz::App().ResetDefaults();
    kz::App().dataDir = xdg.dataDir();
    kz::paths::MakeDirs(xdg.dataDir());
    kz::log::SetPath(LogPath());
    kz::device::InstallBackend(mouse);
    ASSERT_TRUE(kz::store::OpenOrCreate(kz::store::Db(), xdg.dataDir(), xdg.root().path()));
    long long syncLast = 0;
    ASSERT_TRUE(kz::store::LoadCurrentUser(kz::store::Db(), "*", syncLast));
  }

  void TearDown() override {
    window.reset();
    kz::device::InstallBackend(nullptr);
    kz::store::Db().Close();
    kz::log::SetPath("");
  }

  std::string LogPath() const { return xdg.root().path() + "kz_log.txt"; }

  void Open() {
    kzgui::CDlgMain::Options options;
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

  kzgui::CDlgMSetting& Settings() { return *qobject_cast<kzgui::CDlgMSetting*>(window->Page(0)); }
  kzgui::CDlgLight& Lights() { return *qobject_cast<kzgui::CDlgLight*>(window->Page(2)); }

  bool Logged(const std::string& message) {
    auto messages = kztest::LogMessages(LogPath());
    return std::find(messages.begin(), messages.end(), message) != messages.end();
  }
};

}  // namespace kztest
