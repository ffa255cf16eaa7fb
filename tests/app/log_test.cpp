#include <gtest/gtest.h>

#include <regex>
#include <sys/stat.h>
#include <thread>

#include "base/log.h"
#include "base/paths.h"
#include "support/test_support.h"

namespace {

struct LogFixture : ::testing::Test {
  kztest::TempDir dir;
  std::string path = dir / "kz_log.txt";
  void SetUp() override { kz::log::SetPath(path); }
  void TearDown() override {
    kz::log::SetPath("");
    kz::log::SetMaxBytes(8LL * 1024 * 1024);
  }
};

TEST_F(LogFixture, LineHasTimePrefixAndCallerFormatting) {
  kz::Log("hid ret bytes:%d", 25);
  kz::Log("%s", "100% literal");
  auto lines = kztest::ReadLines(path);
  ASSERT_EQ(lines.size(), 2u);
  const std::regex shape(R"(^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\]INFO: hid ret bytes:25$)");
  EXPECT_TRUE(std::regex_match(lines[0], shape)) << lines[0];
  EXPECT_EQ(lines[1].substr(lines[1].find("]INFO: ")), "]INFO: 100% literal");
  EXPECT_EQ(kztest::ReadAll(path).back(), '\n');
}

TEST(HexDump, LowerCaseWithOneBlankPerByte) {
  const unsigned char bytes[] = {0x03, 0x10, 0x0A};
  EXPECT_EQ(kz::HexDumpLower(bytes, 3), "03 10 0a ");
  EXPECT_EQ(kz::HexDumpLower(bytes, 0), "");
}

TEST_F(LogFixture, LongMessageIsCutToOneLine) {
  std::string big(10000, 'x');
  kz::Log("%s", big.c_str());
  auto lines = kztest::ReadLines(path);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 4095u);
}

TEST_F(LogFixture, UnwritablePathDropsTheLineQuietly) {
  kz::log::SetPath(dir / "no/such/folder/kz_log.txt");
  kz::Log("lost");  // must neither crash nor create anything
  EXPECT_FALSE(kz::paths::FileExists(dir / "no/such/folder/kz_log.txt"));
}

TEST_F(LogFixture, ThreadsNeverSplitALine) {
  constexpr int kThreads = 4, kLines = 300;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) kz::Log("thread %d line %d %s", t, i, "payload-payload-payload-payload");
    });
  for (auto& th : threads) th.join();
  auto lines = kztest::ReadLines(path);
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
  const std::regex shape(R"(^\[[^\]]*\]INFO: thread \d line \d+ payload-payload-payload-payload$)");
  for (const auto& line : lines) ASSERT_TRUE(std::regex_match(line, shape)) << line;
}

TEST_F(LogFixture, FullFileIsRotatedOnce) {
  kz::log::SetMaxBytes(200);
  for (int i = 0; i < 20; ++i) kz::Log("line %02d of a log that grows past its cap", i);
  auto current = kztest::ReadLines(path);
  auto previous = kztest::ReadLines(path + ".1");
  EXPECT_FALSE(previous.empty());
  EXPECT_LE(current.size(), 5u);
  EXPECT_NE(current.back().find("line 19"), std::string::npos);
}

// Something at "<path>.1" that the rename cannot replace (a folder, here with a file in it) must not
// let the log grow without end: the file is emptied instead, and what stands there is kept.
TEST_F(LogFixture, FullFileIsEmptiedWhenItCannotBeRotated) {
  ASSERT_EQ(::mkdir((path + ".1").c_str(), 0700), 0);
  kztest::WriteAll(path + ".1/kept", "kept\n");
  kz::log::SetMaxBytes(200);
  for (int i = 0; i < 60; ++i) kz::Log("line %02d of a log that grows past its cap", i);
  auto current = kztest::ReadLines(path);
  ASSERT_FALSE(current.empty());
  EXPECT_LE(current.size(), 5u);
  EXPECT_NE(current.back().find("line 59"), std::string::npos);
  EXPECT_LT(kztest::ReadAll(path).size(), 300u);
  EXPECT_EQ(kztest::ReadAll(path + ".1/kept"), "kept\n");
}

TEST(LogPath, FollowsXdgStateHome) {
  kztest::ScopedXdg xdg;
  EXPECT_EQ(kz::log::DefaultPath(), xdg.root().path() + "state/kzMouse/kz_log.txt");
}

}  // namespace
