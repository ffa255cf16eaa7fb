// Update archives are downloaded: any bytes. Whatever they hold, extraction writes nothing outside
// its folder and leaves no temporary file behind.
#include "fuzz_check.h"
#include "update/install.h"
#include "update/unzipper.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <set>
#include <string>
#include <sys/stat.h>

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

bool HasTemporary(const std::string& dir) {
  for (const std::string& name : Names(dir)) {
    if (name.rfind(".kz-unzip-", 0) == 0) return true;
    struct stat st{};
    if (::lstat((dir + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode) && HasTemporary(dir + "/" + name))
      return true;
  }
  return false;
}

const std::string& Root() {
  static const std::string root = [] {
    char pattern[] = "/tmp/kz-fuzz-unzip-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made) std::abort();
    return std::string(made);
  }();
  return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string root = Root();
  const std::string archive = root + "/kz.zip";
  const std::string out = root + "/out";
  const std::string folder = out + "/Update";
  if (FILE* file = std::fopen(archive.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  {
    kz::update::CUnzipper unzipper;
    if (unzipper.OpenArchive(archive)) unzipper.ExtractAll(folder);
  }
  KZ_FUZZ_CHECK(Names(root) == (std::set<std::string>{"kz.zip", "out"}) || Names(root) == std::set<std::string>{"kz.zip"});
  const std::set<std::string> outside = Names(out);
  KZ_FUZZ_CHECK(outside.empty() || outside == std::set<std::string>{"Update"});
  KZ_FUZZ_CHECK(!HasTemporary(folder));
  kz::update::DeleteFolder(out);
  return 0;
}
