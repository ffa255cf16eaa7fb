#pragma once
// A fresh simulated mouse installed as the process's HID backend, and a diagnostic log of its own.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/log.h"
#include "device/channel.h"
#include "device/hidm.h"
#include "device/sim_mouse.h"
#include "support/test_support.h"

namespace kztest {

class SimMouseFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    kz::log::SetPath(dir_ / "kz_log.txt");
    kz::device::InstallBackend(mouse_);
  }
  void TearDown() override {
    kz::device::InstallBackend(nullptr);
    kz::log::SetPath("");
  }

  // Log lines without their time prefix.
  std::vector<std::string> LogLines() const {
    return LogMessages(dir_ / "kz_log.txt");
  }

  TempDir dir_;
  std::shared_ptr<kz::device::SimulatedMouse> mouse_ = std::make_shared<kz::device::SimulatedMouse>();
};

}  // namespace kztest
