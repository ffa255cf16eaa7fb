#include <gtest/gtest.h>

#include "support/test_support.h"
#include "update/manifest.h"
#include "update/update_files.h"

using kz::update::Manifest;
using kz::update::ReadManifest;

TEST(Manifest, ReadsTheKzSectionAsAPrivateProfileReaderDoes) {
  Manifest m = ReadManifest(
      "\xEF\xBB\xBF[other]\r\nver=9.9\r\n"
      "[ KZ ]\r\n"
      "; a comment\r\n"
      "Ver = 1.18 \r\n"
      "path=\"http://h:4778/kz 1.18.zip\"\r\n"
      "HARDVER=0.5\r\n"
      "hardpath=http://h:4778/fw.bin\r\n"
      "ver=2.0\r\n"  // the first occurrence holds
      "sha256=ABCDEF\r\n"
      "[next]\r\nhardsha256=not this one\r\n");
  EXPECT_EQ(m.ver, "1.18");
  EXPECT_EQ(m.path, "http://h:4778/kz 1.18.zip");
  EXPECT_EQ(m.hardver, "0.5");
  EXPECT_EQ(m.hardpath, "http://h:4778/fw.bin");
  EXPECT_EQ(m.sha256, "ABCDEF");
  EXPECT_EQ(m.hardsha256, "");
}

TEST(Manifest, MissingKeysAndBrokenTextGiveEmptyValues) {
  for (const char* text : {"", "ver=1.0\n", "[kz\nver=1.0", "[kz]\nver\n", "\0\0\0", "[kz]\n=1.0\n"}) {
    Manifest m = ReadManifest(text);
    EXPECT_EQ(m.ver, "") << text;
    EXPECT_EQ(m.hardver, "") << text;
  }
  EXPECT_EQ(ReadManifest("[kz]\nver=\n").ver, "");
}

TEST(Manifest, ValuesAreCutTo511CharactersWithoutTearingOne) {
  std::string ascii(600, 'a');
  EXPECT_EQ(ReadManifest("[kz]\npath=" + ascii + "\n").path, std::string(511, 'a'));
  std::string wide;
  for (int i = 0; i < 600; ++i) wide += "版";
  std::string cut = ReadManifest("[kz]\nver=" + wide + "\n").ver;
  EXPECT_EQ(cut.size(), 511u * 3);
  EXPECT_EQ(cut.substr(0, 3), "版");
}

TEST(Manifest, MissingFileIsAFailure) {
  kztest::TempDir dir;
  Manifest m;
  EXPECT_FALSE(kz::update::ReadManifestFile(dir / "none.ini", m));
  kztest::WriteAll(dir / "ver.ini", "[kz]\nver=1.17\nhardver=0.3\n");
  ASSERT_TRUE(kz::update::ReadManifestFile(dir / "ver.ini", m));
  EXPECT_EQ(m.ver, "1.17");
  EXPECT_EQ(m.hardver, "0.3");
}

TEST(DownloadPath, NeverLeavesTheDownloadFolder) {
  const struct {
    const char* url;
    const char* name;
  } cases[] = {
      {"http://h:4778/files/fw 0.5.bin", "fw 0.5.bin"},
      {"fw.bin", "fw.bin"},
      {"http://h:4778/", "download"},
      {"http://h:4778/..", "download"},
      {"..", "download"},
      {".", "download"},
      {"", "download"},
      {"http://h/a/../b.zip", "b.zip"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kz::update::DownloadFileName(c.url), c.name) << c.url;
    EXPECT_EQ(kz::update::DownloadPath("/d/", c.url), std::string("/d/down/") + c.name) << c.url;
  }
}

TEST(ManifestUrl, TakesTheHostSetting) {
  EXPECT_EQ(kz::update::ManifestUrlFor(""), "http://127.0.0.1:4778/kzver.txt");
  EXPECT_EQ(kz::update::ManifestUrlFor("updates.local"), "http://updates.local:4778/kzver.txt");
  EXPECT_EQ(kz::update::ManifestUrlFor("127.0.0.1:5000"), "http://127.0.0.1:5000/kzver.txt");
  EXPECT_EQ(kz::update::ManifestUrlFor("::1"), "http://[::1]:4778/kzver.txt");
  EXPECT_EQ(kz::update::ManifestUrlFor("[::1]:81"), "http://[::1]:81/kzver.txt");
}
