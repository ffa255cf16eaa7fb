#pragma once
// A migrated database in a temporary folder, a diagnostic log of its own, and a device link that
// records what a model sends.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/log.h"
#include "settings/device_link.h"
#include "store/database.h"
#include "store/schema.h"
#include "support/test_support.h"

namespace kztest {

struct RecordingLink {
  std::vector<std::string> sent;  // every text offered, the refused one included
  std::vector<std::string> events;  // "send <text>" and "pause <ms>" in order
  int refuseFrom = -1;  // the send with this index (from 0) and all later ones fail

  kz::settings::DeviceLink Link() {
    return {[this](std::string_view text) {
              sent.emplace_back(text);
              events.push_back("send " + std::string(text));
              return refuseFrom < 0 || static_cast<int>(sent.size()) <= refuseFrom;
            },
            [this](int ms) { events.push_back("pause " + std::to_string(ms)); }};
  }
};

class ModelFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    kz::log::SetPath(dir_ / "kz_log.txt");
    ASSERT_TRUE(kz::store::CreateDatabase(dir_ / "kzdb.mdb", "1.17", "0.3"));
    ASSERT_TRUE(db_.Open(dir_ / "kzdb.mdb"));
    ASSERT_TRUE(kz::store::Migrate(db_));
  }
  void TearDown() override { kz::log::SetPath(""); }

  std::vector<std::string> LogLines() const {
    return LogMessages(dir_ / "kz_log.txt");
  }
  long long Main2RowCount() {
    kz::store::Recordset rs(db_);
    EXPECT_TRUE(rs.Open("select * from main2"));
    return rs.GetRecordCount();
  }

  TempDir dir_;
  kz::store::Database db_;
  RecordingLink link_;
};

}  // namespace kztest
