// Replacing a file through a temporary one: the temporary name is the program's own, so nothing
// planted in the folder is written through, and no temporary file outlives the call.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "base/paths.h"
#include "support/test_support.h"

namespace {

using kztest::ModeOf;
using kztest::ScopedUmask;

// The names in a folder, to show that a call left nothing of its own there.
std::set<std::string> Names(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

// Both ways of replacing a file, each given the content and mode the result must have. The copy
// reads from a folder of its own so that the target's folder holds only what the call made.
struct Writer {
  const char* name;
  std::function<bool(const std::string& path, const std::string& content, unsigned mode)> write;
};

const kztest::TempDir& Sources() {
  static kztest::TempDir dir;
  return dir;
}

const Writer kWriters[] = {
    {"WriteFileAtomic",
     [](const std::string& path, const std::string& content, unsigned mode) {
       return kz::paths::WriteFileAtomic(path, content, mode);
     }},
    {"CopyFileOver",
     [](const std::string& path, const std::string& content, unsigned mode) {
       std::string from = Sources() / "source";
       ::unlink(from.c_str());
       kztest::WriteAll(from, content);
       ::chmod(from.c_str(), mode);
       return kz::paths::CopyFileOver(from, path);
     }},
};

TEST(ReplaceFile, ASymlinkAtThePredictableTemporaryNameIsNotFollowed) {
  for (const Writer& w : kWriters) {
    SCOPED_TRACE(w.name);
    kztest::TempDir dir, elsewhere;
    std::string path = dir / "settings.ini";
    std::string victim = elsewhere / "victim";
    kztest::WriteAll(victim, "not yours\n");
    ::chmod(victim.c_str(), 0644);
    // A name made of the process id, which anyone on the machine can guess.
    std::string planted = path + ".tmp" + std::to_string(::getpid());
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);

    ASSERT_TRUE(w.write(path, "mine\n", 0600));
    EXPECT_EQ(kztest::ReadAll(victim), "not yours\n");
    EXPECT_EQ(ModeOf(victim), 0644u);
    struct stat st{};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode)) << "the target became a link";
    EXPECT_EQ(kztest::ReadAll(path), "mine\n");
    ASSERT_EQ(::lstat(planted.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "someone else's link is left as it was";
  }
}

TEST(ReplaceFile, LeavesNoTemporaryFileAfterSuccess) {
  for (const Writer& w : kWriters) {
    SCOPED_TRACE(w.name);
    kztest::TempDir dir;
    std::string path = dir / "state";
    ASSERT_TRUE(w.write(path, "first\n", 0600));
    ASSERT_TRUE(w.write(path, std::string(200000, 'x'), 0600));
    EXPECT_EQ(Names(dir.path()), std::set<std::string>{"state"});
    EXPECT_EQ(kztest::ReadAll(path), std::string(200000, 'x'));
  }
}

TEST(ReplaceFile, FailsWithoutLeavingATemporaryFile) {
  for (const Writer& w : kWriters) {
    SCOPED_TRACE(w.name);
    kztest::TempDir dir;
    // The temporary file is made and written, then the rename fails: a folder stands at the target.
    ::mkdir((dir / "target").c_str(), 0700);
    kztest::WriteAll(dir / "target/inside", "kept\n");
    EXPECT_FALSE(w.write(dir / "target", "new\n", 0600));
    EXPECT_EQ(Names(dir.path()), std::set<std::string>{"target"});
    EXPECT_EQ(kztest::ReadAll(dir / "target/inside"), "kept\n");

    // No folder to make the temporary file in.
    kztest::WriteAll(dir / "plain", "a file\n");
    EXPECT_FALSE(w.write(dir / "plain/state", "new\n", 0600));
    EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"plain", "target"}));
    EXPECT_EQ(kztest::ReadAll(dir / "plain"), "a file\n");

    // A folder this user may not write to (root may write anywhere, so the case says nothing then).
    if (::geteuid() != 0) {
      ::mkdir((dir / "locked").c_str(), 0700);
      kztest::WriteAll(dir / "locked/state", "old\n");
      ::chmod((dir / "locked").c_str(), 0500);
      EXPECT_FALSE(w.write(dir / "locked/state", "new\n", 0600));
      EXPECT_EQ(Names(dir / "locked"), std::set<std::string>{"state"});
      EXPECT_EQ(kztest::ReadAll(dir / "locked/state"), "old\n");
      ::chmod((dir / "locked").c_str(), 0700);
    }
  }
}

TEST(ReplaceFile, GivesExactlyTheModeAskedForWhateverTheUmask) {
  for (const Writer& w : kWriters) {
    for (mode_t mask : {mode_t{0}, mode_t{022}, mode_t{077}}) {
      for (unsigned mode : {0600u, 0644u, 0640u, 0755u, 0444u}) {
        SCOPED_TRACE(std::string(w.name) + " umask " + std::to_string(mask) + " mode " + std::to_string(mode));
        kztest::TempDir dir;
        std::string path = dir / "file";
        kztest::WriteAll(path, "old\n");
        ::chmod(path.c_str(), 0666);  // an existing file's mode does not carry over
        ScopedUmask umask(mask);
        ASSERT_TRUE(w.write(path, "new\n", mode));
        EXPECT_EQ(ModeOf(path), mode);
        EXPECT_EQ(kztest::ReadAll(path), "new\n");
      }
    }
  }
}

TEST(ReplaceFile, WritersOfTheSameFileDoNotSpoilEachOther) {
  kztest::TempDir dir;
  std::string path = dir / "shared";
  std::vector<std::string> contents;
  for (char c : {'a', 'b', 'c', 'd'}) contents.push_back(std::string(64 * 1024, c));
  std::vector<std::thread> threads;
  std::vector<int> failures(contents.size(), 0);
  for (size_t t = 0; t < contents.size(); ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 25; ++i)
        if (!kz::paths::WriteFileAtomic(path, contents[t], 0600)) ++failures[t];
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(contents.size(), 0));
  std::string result = kztest::ReadAll(path);
  EXPECT_NE(std::find(contents.begin(), contents.end(), result), contents.end()) << "a mixed or short file";
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"shared"});
}

}  // namespace
