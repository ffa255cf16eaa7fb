#pragma once
// A settings page over a test database and a recording device link, shown for the current
// user on one profile; the process-wide values are put back afterwards.
#include <memory>

#include "base/app_state.h"
#include "settings/model_fixture.h"

namespace kztest {

template <typename Page>
class PageFixture : public ModelFixture {
 protected:
  explicit PageFixture(int profile) : profile_(profile) {}

  void SetUp() override {
    ModelFixture::SetUp();
    savedApp_ = kz::App();
    kz::App().userName = "CommonUser";
    kz::App().activeProfile = profile_;
    page_ = MakePage();
    page_->show();
  }
  void TearDown() override {
    page_.reset();
    kz::App() = savedApp_;
    ModelFixture::TearDown();
  }

  // A page over db_ and link_.
  virtual std::unique_ptr<Page> MakePage() = 0;

  std::unique_ptr<Page> page_;

 private:
  int profile_;
  kz::AppState savedApp_;
};

}  // namespace kztest
