// The update server: the files of one folder, and nothing else.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "service_fixture.h"
#include "update_files.h"

namespace kztest {
namespace {

// updates/ with the manifest, a firmware image in a subfolder, links in and out; a secret
// beside the folder.
class UpdateFolder {
 public:
  UpdateFolder() {
    ::mkdir((dir / "updates").c_str(), 0700);
    ::mkdir((dir / "updates/fw").c_str(), 0700);
    WriteAll(dir / "updates/kzver.txt", "[kz]\r\nver=1.18\r\npath=http://127.0.0.1/kz118.zip\r\n");
    image.resize(3 * 1024 * 1024 + 17);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7 % 251);
    WriteAll(dir / "updates/fw/kz_0.4.bin", image);
    WriteAll(dir / "secret.txt", "secret");
    ::symlink((dir / "secret.txt").c_str(), (dir / "updates/out-link.txt").c_str());
    ::symlink("../secret.txt", (dir / "updates/relative-out.txt").c_str());
    ::symlink("fw/kz_0.4.bin", (dir / "updates/latest.bin").c_str());
    ::symlink(dir.path().c_str(), (dir / "updates/up").c_str());
  }
  std::string root() const { return dir / "updates"; }
  TempDir dir;
  std::string image;
};

TEST(UpdateServer, ServesTheFilesOfTheFolderByteForByte) {
  UpdateFolder folder;
  RunningService service({"--updates", folder.root(), "--update-listen", "127.0.0.1:0"});
  ASSERT_TRUE(service.ready()) << service.output();
  ASSERT_GT(service.updatePort(), 0);
  EXPECT_NE(service.updatePort(), service.port());

  httplib::Client client("127.0.0.1", service.updatePort());
  auto manifest = client.Get("/kzver.txt");
  ASSERT_TRUE(manifest);
  EXPECT_EQ(manifest->status, 200);
  EXPECT_EQ(manifest->body, ReadAll(folder.root() + "/kzver.txt"));
  auto image = client.Get("/fw/kz_0.4.bin");
  ASSERT_TRUE(image);
  EXPECT_EQ(image->status, 200);
  EXPECT_EQ(image->get_header_value("Content-Type"), "application/octet-stream");
  EXPECT_TRUE(image->body == folder.image) << image->body.size();
  // A link that stays inside the folder is served.
  auto linked = client.Get("/latest.bin");
  ASSERT_TRUE(linked);
  EXPECT_EQ(linked->status, 200);
  EXPECT_EQ(linked->body.size(), folder.image.size());
  // The API does not answer on the update port, nor the files on the API port.
  EXPECT_EQ(service.Get("/kzver.txt").status, 404);
  EXPECT_EQ(service.Get("/register", service.updatePort()).status, 404);
}

TEST(UpdateServer, NothingOutsideTheFolderAndNoListings) {
  UpdateFolder folder;
  RunningService service({"--updates", folder.root(), "--update-listen", "127.0.0.1:0"});
  ASSERT_TRUE(service.ready()) << service.output();
  for (const char* path : {"/", "/fw", "/fw/", "/.", "/../secret.txt", "/fw/../../secret.txt", "/%2e%2e/secret.txt",
                           "/%2E%2E/secret.txt", "/fw/%2e%2e/%2e%2e/secret.txt", "/..%2fsecret.txt",
                           "/%2e%2e%2fsecret.txt", "/out-link.txt", "/relative-out.txt", "/up/secret.txt",
                           "/missing.txt", "/kzver.txt%00.bin", "/..\\secret.txt"}) {
    const PageReply reply = service.Get(path, service.updatePort());
    EXPECT_EQ(reply.status, 404) << path;
    EXPECT_EQ(reply.body.find("secret"), std::string::npos) << path;
    EXPECT_EQ(reply.body.find("kz_0.4.bin"), std::string::npos) << path;
  }
  // What the server saw is in its log: the raw paths reached it unchanged.
  EXPECT_NE(service.output().find("GET /../secret.txt 404"), std::string::npos) << service.output();
}

TEST(UpdateServer, ResolveKeepsToTheFolder) {
  UpdateFolder folder;
  const kzsvc::UpdateFiles files(folder.root());
  ASSERT_TRUE(files.valid());
  const std::string real = std::filesystem::canonical(folder.root()).string();
  EXPECT_EQ(files.Resolve("/kzver.txt"), real + "/kzver.txt");
  EXPECT_EQ(files.Resolve("//fw//./kz_0.4.bin"), real + "/fw/kz_0.4.bin");
  EXPECT_EQ(files.Resolve("/latest.bin"), real + "/fw/kz_0.4.bin");
  for (const char* path : {"", "kzver.txt", "/", "/fw", "/../updates/kzver.txt", "/fw/../kzver.txt",
                           "/out-link.txt", "/relative-out.txt", "/up/secret.txt"}) {
    EXPECT_EQ(files.Resolve(path), "") << path;
  }
  // A folder beside the root whose name starts the same is still outside it.
  ::mkdir((folder.dir / "updates-other").c_str(), 0700);
  WriteAll(folder.dir / "updates-other/x.txt", "x");
  ::symlink((folder.dir / "updates-other/x.txt").c_str(), (folder.root() + "/sibling.txt").c_str());
  EXPECT_EQ(files.Resolve("/sibling.txt"), "");
  EXPECT_FALSE(kzsvc::UpdateFiles(folder.dir / "missing").valid());
  EXPECT_FALSE(kzsvc::UpdateFiles(folder.root() + "/kzver.txt").valid());
  EXPECT_FALSE(kzsvc::UpdateFiles("/").valid());
}

}  // namespace
}  // namespace kztest
