// One exchange through the real hidapi backend: the probe program runs under umockdev-run with the
// emulated mouse (our report descriptor) and a script of the expected writes and the reply.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool OnPath(const char* program) {
  std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

std::string RunShell(const std::string& command, int& status) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return output;
  }
  std::array<char, 512> chunk;
  while (std::fgets(chunk.data(), chunk.size(), pipe) != nullptr) output += chunk.data();
  status = ::pclose(pipe);
  return output;
}

TEST(HidapiBackend, OpensWritesAndReadsTheEmulatedMouse) {
  if (!OnPath("umockdev-run")) GTEST_SKIP() << "umockdev-run is not installed (package umockdev)";
  // The fixtures ship with the sources: with umockdev there, a missing one fails rather than skips,
  // or a broken checkout would pass without the exchange ever running.
  const char* fixtures = std::getenv("KZ_UMOCKDEV_DIR");
  std::string data = fixtures != nullptr && *fixtures != '\0' ? std::string(fixtures) + "/"
                                                              : kztest::SourceDir() + "tests/data/umockdev/";
  for (const char* name : {"hid-7616-530a-kzmouse.umockdev", "hidraw0-kzmouse.ioctl", "hidraw0-status.script"})
    ASSERT_FALSE(kztest::ReadAll(data + name).empty()) << "no umockdev fixture " << data + name;
  std::string probe = kztest::BinaryDir() + "kz_hidapi_probe";
  ASSERT_EQ(::access(probe.c_str(), X_OK), 0) << probe << " was not built";
  kztest::TempDir dir;
  std::string command = "KZ_PROBE_LOG=" + dir / "kz_log.txt" + " umockdev-run --device " + data +
                        "hid-7616-530a-kzmouse.umockdev --ioctl /dev/hidraw0=" + data +
                        "hidraw0-kzmouse.ioctl --script /dev/hidraw0=" + data + "hidraw0-status.script -- " + probe +
                        " 2>&1";
  int status = 0;
  std::string output = RunShell(command, status);
  std::string errors = kztest::ReadAll(dir / "stderr.txt");
  ASSERT_TRUE(WIFEXITED(status)) << output << errors;
  EXPECT_EQ(WEXITSTATUS(status), 0) << output << errors;  // 133: a write differed from the script
  EXPECT_EQ(output,
            "present USB\\VID_7616&PID_530A\\TEST0001\n"
            "present USB\\VID_7616&PID_530A&MI_00\\1-1:1.0\n"
            "opened /dev/hidraw0\n"
            "write 03F9 ok\n"
            "read 25: 03 f9 00 01 20 40 80 a4 00 11 00 91 ff 00 91 ff 00 00 00 00 00 00 12 01 02 \n"
            "firmware 1.2 dpi 8200\n"
            "write dpi ok\n"
            "after close read 0\n");
}

}  // namespace
