#include "secret_hash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <charconv>
#include <vector>

#include "hex.h"

namespace kzsvc {
namespace {

constexpr char kScheme[] = "pbkdf2-sha256";
constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kHashBytes = 32;

bool Derive(const std::string& secret, const std::vector<unsigned char>& salt, unsigned iterations,
            std::vector<unsigned char>& out) {
  out.assign(kHashBytes, 0);
  return PKCS5_PBKDF2_HMAC(secret.data(), static_cast<int>(secret.size()), salt.data(),
                           static_cast<int>(salt.size()), static_cast<int>(iterations), EVP_sha256(),
                           static_cast<int>(out.size()), out.data()) == 1;
}

}  // namespace

std::string HashSecret(const std::string& secret, unsigned iterations) {
  if (iterations < kMinHashIterations || iterations > kMaxHashIterations) return {};
  std::vector<unsigned char> salt(kSaltBytes);
  if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1) return {};
  std::vector<unsigned char> hash;
  if (!Derive(secret, salt, iterations, hash)) return {};
  return std::string(kScheme) + "$" + std::to_string(iterations) + "$" + ToHex(salt) + "$" + ToHex(hash);
}

bool VerifySecret(const std::string& secret, const std::string& stored) {
  // scheme $ iterations $ salt $ hash, nothing more.
  const std::size_t a = stored.find('$');
  const std::size_t b = a == std::string::npos ? a : stored.find('$', a + 1);
  const std::size_t c = b == std::string::npos ? b : stored.find('$', b + 1);
  if (c == std::string::npos || stored.find('$', c + 1) != std::string::npos) return false;
  if (stored.compare(0, a, kScheme) != 0 || a != sizeof(kScheme) - 1) return false;
  const std::string count = stored.substr(a + 1, b - a - 1);
  unsigned iterations = 0;
  const auto [end, ec] = std::from_chars(count.data(), count.data() + count.size(), iterations);
  if (ec != std::errc() || end != count.data() + count.size() || count.empty() || count[0] == '0') return false;
  if (iterations < kMinHashIterations || iterations > kMaxHashIterations) return false;
  std::vector<unsigned char> salt, expected;
  if (!FromHex(stored.substr(b + 1, c - b - 1), salt) || salt.empty()) return false;
  if (!FromHex(stored.substr(c + 1), expected) || expected.size() != kHashBytes) return false;
  std::vector<unsigned char> actual;
  if (!Derive(secret, salt, iterations, actual)) return false;
  return CRYPTO_memcmp(actual.data(), expected.data(), kHashBytes) == 0;
}

std::string Md5Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr) != 1) return {};
  return ToHex(std::vector<unsigned char>(digest, digest + length));
}

}  // namespace kzsvc
