// Every test of this program logs into a folder of its own, never the user's diagnostic log.
#include <gtest/gtest.h>

#include <memory>

#include "base/log.h"
#include "support/test_support.h"

namespace {

class LogInTempFolder : public ::testing::Environment {
 public:
  void SetUp() override {
    dir_ = std::make_unique<kztest::TempDir>();
    kz::log::SetPath(*dir_ / "kz_log.txt");
  }
  void TearDown() override {
    kz::log::SetPath("");
    dir_.reset();
  }

 private:
  std::unique_ptr<kztest::TempDir> dir_;
};

[[maybe_unused]] ::testing::Environment* const kLogEnvironment =
    ::testing::AddGlobalTestEnvironment(new LogInTempFolder);

}  // namespace
