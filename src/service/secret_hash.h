#pragma once
// Slow, salted hashes of the secrets the service keeps (the MD5 hex text a client sends as its
// password, the recovery code), so the database never holds anything that logs in by itself.
// Stored form: "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>"; the count travels with the
// hash, so raising the default later keeps old accounts working.
#include <string>

namespace kzsvc {

inline constexpr unsigned kDefaultHashIterations = 200000;
// Bounds for a stored count: a damaged row must not make one check run for hours.
inline constexpr unsigned kMinHashIterations = 1;
inline constexpr unsigned kMaxHashIterations = 10000000;

// Empty on a failure of the random source or of the hash itself.
std::string HashSecret(const std::string& secret, unsigned iterations);
// Constant-time comparison; false for a stored text that is not of the form above.
bool VerifySecret(const std::string& secret, const std::string& stored);

// 32 lower-case hex digits of the MD5 of the bytes: what the client sends for a password, so a
// password typed into the service's own pages becomes the same text before it is hashed.
std::string Md5Hex(const std::string& bytes);

}  // namespace kzsvc
