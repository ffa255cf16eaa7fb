#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include "update/install.h"
#include "update_fixture.h"

using kztest::Exists;
using kztest::ReadAll;
using kztest::Put;

namespace {

int FilesNamedLike(const std::string& dir, const std::string& prefix) {
  int count = 0;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) count += std::string(e->d_name).rfind(prefix, 0) == 0;
    ::closedir(d);
  }
  return count;
}

}  // namespace

TEST(InstallUpdate, CopiesByRelativePathAndRemovesTheUpdateFolder) {
  kztest::TempDir dir;
  // The folder's own name appears again inside it: a copy that replaced the folder text inside
  // each path would put the second one elsewhere.
  const std::string source = dir / "data/Update", target = dir / "prog/";
  Put(source + "/kzMouse", "new main");
  ::chmod((source + "/kzMouse").c_str(), 0755);
  Put(source + "/Update/data/Update/note.txt", "deep");
  Put(source + "/lib/plugin.so", "plugin");
  Put(target + "kzMouse", "old main");
  Put(target + "keep.txt", "untouched");

  EXPECT_TRUE(kz::update::InstallUpdate(source, target));
  EXPECT_EQ(ReadAll(target + "kzMouse"), "new main");
  EXPECT_EQ(kztest::ModeOf(target + "kzMouse") & 0777, 0755u);
  EXPECT_EQ(ReadAll(target + "Update/data/Update/note.txt"), "deep");
  EXPECT_EQ(ReadAll(target + "lib/plugin.so"), "plugin");
  EXPECT_EQ(ReadAll(target + "keep.txt"), "untouched");
  EXPECT_FALSE(Exists(source));
  EXPECT_EQ(FilesNamedLike(target, ".kz-update-"), 0);
}

TEST(InstallUpdate, AFailedCopyKeepsTheUpdateFolderForAnotherTry) {
  kztest::TempDir dir;
  const std::string source = dir / "Update", target = dir / "prog";
  Put(source + "/a.txt", "a");
  Put(source + "/locked/b.txt", "b");
  Put(target + "/locked", "a file where the folder goes");
  EXPECT_FALSE(kz::update::InstallUpdate(source, target));
  EXPECT_EQ(ReadAll(target + "/a.txt"), "a");  // what could be copied was
  EXPECT_EQ(ReadAll(source + "/locked/b.txt"), "b");
  EXPECT_EQ(ReadAll(target + "/locked"), "a file where the folder goes");
  EXPECT_EQ(FilesNamedLike(target, ".kz-update-"), 0);
}

TEST(InstallUpdate, AMissingSourceCopiesNothingAndLinksAreNotFollowed) {
  kztest::TempDir dir;
  EXPECT_TRUE(kz::update::InstallUpdate(dir / "none", dir / "prog"));
  EXPECT_FALSE(Exists(dir / "prog"));

  Put(dir / "secret", "secret");
  Put(dir / "Update/a.txt", "a");
  ASSERT_EQ(::symlink((dir / "secret").c_str(), (dir / "Update/link").c_str()), 0);
  kz::update::InstallResult result = kz::update::CopyUpdateFolder(dir / "Update", dir / "prog");
  EXPECT_EQ(result.copied, 1);
  EXPECT_EQ(result.failed, 0);
  EXPECT_FALSE(Exists(dir / "prog/link"));
  EXPECT_TRUE(kz::update::DeleteFolder(dir / "Update"));
  EXPECT_EQ(ReadAll(dir / "secret"), "secret");
}
