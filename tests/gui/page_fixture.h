#pragma once
// A settings page over a test database and a recording device link, shown for the current
// user on one profile; the process-wide values are put back afterwards.
#include <deque>
#include <memory>

#include "settings/model_fixture.h"
#include "settings/profile_key.h"

namespace kztest {

template <typename Page>
class PageFixture : public ModelFixture {
 protected:
  explicit PageFixture(int profile) : profile_(profile) {}

  void SetUp() override {
    ModelFixture::SetUp();
    page_ = MakePage();
    page_->show();
  }
  void TearDown() override {
    page_.reset();
    models_.clear();
    ModelFixture::TearDown();
  }

  // A page over db_ and link_.
  virtual std::unique_ptr<Page> MakePage() = 0;

  // The row the pages work on: the current user's profile of the fixture.
  kz::settings::ProfileKey Key() const { return {"CommonUser", profile_}; }
  auto KeySource() {
    return [this] { return Key(); };
  }
  // Keeps a model for the fixture's life (a page holds a reference to its model).
  template <typename Model, typename... Args>
  Model& KeepModel(Args&&... args) {
    auto model = std::make_shared<Model>(std::forward<Args>(args)...);
    models_.push_back(model);
    return *model;
  }

  std::unique_ptr<Page> page_;

 private:
  int profile_;
  std::deque<std::shared_ptr<void>> models_;
};

}  // namespace kztest
