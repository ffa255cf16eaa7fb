#include "support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

namespace kztest {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kztest-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) {
    had_ = true;
    old_ = old;
  }
  if (value)
    ::setenv(name, value, 1);
  else
    ::unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
  if (had_)
    ::setenv(name_.c_str(), old_.c_str(), 1);
  else
    ::unsetenv(name_.c_str());
}

namespace {
std::string MakeSub(const TempDir& root, const char* name) {
  std::string dir = root.path() + name;
  ::mkdir(dir.c_str(), 0700);
  return dir;
}
}  // namespace

ScopedXdg::ScopedXdg()
    : data_("XDG_DATA_HOME", MakeSub(root_, "data").c_str()),
      state_("XDG_STATE_HOME", MakeSub(root_, "state").c_str()),
      config_("XDG_CONFIG_HOME", MakeSub(root_, "config").c_str()),
      runtime_("XDG_RUNTIME_DIR", MakeSub(root_, "run").c_str()) {}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void WriteAll(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

namespace {
std::string DirFromEnv(const char* name) {
  const char* value = std::getenv(name);
  std::string dir = value && *value ? value : std::filesystem::current_path().string();
  if (dir.back() != '/') dir += '/';
  return dir;
}
}  // namespace

std::string BinaryDir() { return DirFromEnv("KZ_BINARY_DIR"); }
std::string SourceDir() { return DirFromEnv("KZ_SOURCE_DIR"); }

}  // namespace kztest
