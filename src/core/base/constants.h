#pragma once
// Fixed values of the program.

namespace kz {

inline constexpr const char* kLocalUserName = "CommonUser";
inline constexpr const char* kSoftwareVersion = "1.17";
inline constexpr const char* kDefaultFirmwareVersion = "0.3";
inline constexpr unsigned short kMouseVendorId = 0x7616;
inline constexpr unsigned short kMouseProductId = 0x530A;

}  // namespace kz
