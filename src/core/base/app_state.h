#pragma once
// The process-wide values every part of the program reads. They belong to the user-interface
// thread (or the command-line tool's only thread); background threads hand work to that thread
// instead of touching them.
#include <string>

namespace kz {

inline constexpr const char* kLocalUserName = "CommonUser";
inline constexpr const char* kSoftwareVersion = "1.17";
inline constexpr const char* kDefaultFirmwareVersion = "0.3";
inline constexpr unsigned short kMouseVendorId = 0x7616;
inline constexpr unsigned short kMouseProductId = 0x530A;

struct AppState {
  std::string userName = kLocalUserName;
  std::string softwareVersion = kSoftwareVersion;
  std::string firmwareVersion = kDefaultFirmwareVersion;
  int activeProfile = 0;  // 0 until a user is loaded, then 1..5
  long long syncLast = 0;  // last synchronised data version
  std::string dataDir;     // ends in "/"
  std::string programDir;  // ends in "/"

  // Sets the defaults of start-up (user, versions, profile 0); folders are left alone.
  void ResetDefaults();
};

// The one instance of the running program.
AppState& App();

}  // namespace kz
