#pragma once
// The HTML of the service's pages. Every value that came from a request is escaped here.
#include <string>

namespace kzsvc::html {

// Blanks of the forms, refilled after a refusal (never the passwords).
struct FormValues {
  std::string userName;
  std::string recoveryCode;
  bool nameRefused = false;  // the cursor goes back to the name, not on to the password
};

// `notice` is shown above the form: as a refusal when `refused`, else as plain information.
std::string SignUpForm(const FormValues& values, const std::string& notice, bool refused);
std::string SignUpDone(const std::string& userName, const std::string& recoveryCode);
std::string RecoveryForm(const FormValues& values, const std::string& notice, bool refused);
std::string RecoveryDone(const std::string& userName, const std::string& recoveryCode);
std::string Index();
std::string NotFound();

}  // namespace kzsvc::html
