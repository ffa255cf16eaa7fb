#include <gtest/gtest.h>

#include <dirent.h>
#include <random>
#include <set>

#include "update/unzipper.h"
#include "update_fixture.h"

using kz::update::CUnzipper;
using kztest::Exists;
using kztest::ZipEntry;

namespace {

std::set<std::string> Names(const std::string& dir) {
  std::set<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.insert(e->d_name);
    ::closedir(d);
  }
  return names;
}

}  // namespace

TEST(Unzipper, FilesInSubfoldersLandFlatDirectoriesAreMade) {
  kztest::TempDir dir;
  ASSERT_TRUE(kztest::MakeZip(dir / "kz.zip", {{"kzMouse", "new program", false, 0100755},
                                               {"lib/", "", true},
                                               {"lib/deep/plugin.so", "plugin"},
                                               {"docs\\readme.txt", "read me"},
                                               {"empty/sub/", "", true}}));
  CUnzipper unzipper;
  ASSERT_TRUE(unzipper.OpenArchive(dir / "kz.zip"));
  EXPECT_EQ(unzipper.DefaultOutputFolder(), dir / "kz");
  ASSERT_TRUE(unzipper.ExtractAll(dir / "Update")) << unzipper.Problem();
  EXPECT_EQ(Names(dir / "Update"), (std::set<std::string>{"kzMouse", "lib", "plugin.so", "readme.txt", "empty"}));
  EXPECT_EQ(kztest::ReadAll(dir / "Update/plugin.so"), "plugin");
  EXPECT_EQ(kztest::ReadAll(dir / "Update/readme.txt"), "read me");
  EXPECT_TRUE(Names(dir / "Update/lib").empty());
  EXPECT_TRUE(Exists(dir / "Update/empty/sub"));
  EXPECT_EQ(kztest::ModeOf(dir / "Update/kzMouse") & 0777, 0755u);
  EXPECT_EQ(kztest::ModeOf(dir / "Update/plugin.so") & 0777, 0644u);
}

TEST(Unzipper, ZipSlipIsRefusedAndNothingLandsOutside) {
  for (const char* name : {"../evil.txt", "/tmp/evil.txt", "a/../../evil.txt", "..\\evil.txt", "C:\\evil.txt",
                           "ok/..", "../"}) {
    kztest::TempDir dir;
    ASSERT_TRUE(kztest::MakeZip(dir / "kz.zip", {{"first.txt", "1"}, {name, "evil", std::string(name).back() == '/'}}));
    CUnzipper unzipper;
    ASSERT_TRUE(unzipper.OpenArchive(dir / "kz.zip"));
    EXPECT_FALSE(unzipper.ExtractAll(dir / "out/Update")) << name;
    EXPECT_EQ(Names(dir / "out"), std::set<std::string>{"Update"}) << name;
    EXPECT_EQ(Names(dir / "out/Update"), std::set<std::string>{"first.txt"}) << name;
    EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"kz.zip", "out"})) << name;
  }
}

TEST(Unzipper, AnEntryThatFailsHalfWayLeavesNoFileUnderItsName) {
  kztest::TempDir dir;
  // Bytes that do not compress, so the entry's data is long enough to damage in its middle.
  std::string big(200000, 'x');
  std::mt19937 random(7);
  for (char& c : big) c = static_cast<char>(random());
  ASSERT_TRUE(kztest::MakeZip(dir / "kz.zip", {{"one.txt", "1"}, {"two.bin", big}}));
  // Damage the compressed data of the second entry (past its local header), so its checksum fails.
  std::string zip = kztest::ReadAll(dir / "kz.zip");
  size_t at = zip.find("two.bin");
  ASSERT_NE(at, std::string::npos);
  ASSERT_GT(zip.size(), at + 150000);
  for (size_t i = at + 1000; i < at + 2000; ++i) zip[i] = static_cast<char>(zip[i] ^ 0x5A);
  kztest::WriteAll(dir / "bad.zip", zip);
  kztest::Put(dir / "Update/two.bin", "old");  // what stood there stays whole

  CUnzipper unzipper;
  ASSERT_TRUE(unzipper.OpenArchive(dir / "bad.zip"));
  EXPECT_FALSE(unzipper.ExtractAll(dir / "Update"));
  EXPECT_EQ(Names(dir / "Update"), (std::set<std::string>{"one.txt", "two.bin"}));
  EXPECT_EQ(kztest::ReadAll(dir / "Update/two.bin"), "old");
}

TEST(Unzipper, OpenAndExtractFailures) {
  kztest::TempDir dir;
  CUnzipper unzipper;
  EXPECT_FALSE(unzipper.OpenArchive(""));
  kztest::WriteAll(dir / "page.zip", "<html>404 Not Found</html>");
  EXPECT_FALSE(unzipper.OpenArchive(dir / "page.zip"));
  EXPECT_FALSE(unzipper.ExtractAll(dir / "Update"));  // nothing open
  ASSERT_TRUE(kztest::MakeZip(dir / "empty.zip", {}));
  // minizip may refuse an archive without entries at once; either way nothing is extracted.
  EXPECT_FALSE(unzipper.OpenArchive(dir / "empty.zip") && unzipper.ExtractAll(dir / "Update"));
  ASSERT_TRUE(kztest::MakeZip(dir / "one.zip", {{"a.txt", "a"}}));
  kztest::WriteAll(dir / "file", "x");
  ASSERT_TRUE(unzipper.OpenArchive(dir / "one.zip"));
  EXPECT_FALSE(unzipper.ExtractAll(dir / "file"));  // a file is in the folder's way
  EXPECT_FALSE(unzipper.ExtractAll(dir / "file/sub"));
  EXPECT_TRUE(unzipper.ExtractAll(dir / "new/deep/Update"));
  EXPECT_EQ(kztest::ReadAll(dir / "new/deep/Update/a.txt"), "a");
}
