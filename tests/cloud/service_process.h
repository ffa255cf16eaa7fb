#pragma once
// The real kz-service of this build, started by a test on a free loopback port with its database
// in the test's folder, and the account steps every test against it needs.
#include <memory>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kztest {

class ServiceProcess {
 public:
  // The program, or "" when it is not built.
  static std::string Binary();

  // Starts it with its database and log in `dir` (cheap password hashing, as tests sign up and
  // log in often); ok() tells whether it came up.
  explicit ServiceProcess(const std::string& dir, const std::vector<std::string>& extra = {});
  bool ok() const { return !base_.empty(); }
  // "http://127.0.0.1:PORT/".
  const std::string& Base() const { return base_; }
  std::string Log() const;

 private:
  std::string log_;
  std::unique_ptr<ChildProcess> process_;
  std::string base_;
};

// Signs `user` up through the sign-up page's form; true on success.
bool SignUp(const std::string& base, const std::string& user, const std::string& password);
// Logs in through "api/login/"; the token, or "" when refused.
std::string LogIn(const std::string& base, const std::string& user, const std::string& password);

}  // namespace kztest

// Skips the test when kz-service has not been built (yet).
#define KZ_NEED_SERVICE()                                                                                     \
  do {                                                                                                        \
    if (kztest::ServiceProcess::Binary().empty())                                                             \
      GTEST_SKIP() << "kz-service is not built in " << kztest::BinaryDir() << " (build the kz-service target)"; \
  } while (0)
