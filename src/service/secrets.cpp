#include "secrets.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <vector>

#include "hex.h"

namespace kzsvc {
namespace {

constexpr std::size_t kTokenBytes = 32;
constexpr char kCodeAlphabet[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";  // 32 symbols
constexpr std::size_t kCodeLength = 20;

}  // namespace

std::string NewToken() {
  std::vector<unsigned char> bytes(kTokenBytes);
  if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1) return {};
  return ToHex(bytes);
}

bool LooksLikeToken(const std::string& text) {
  if (text.size() != kTokenBytes * 2) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

std::string TokenDigest(const std::string& token) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(token.data(), token.size(), digest, &length, EVP_sha256(), nullptr) != 1) return {};
  return ToHex(std::vector<unsigned char>(digest, digest + length));
}

std::string NewRecoveryCode() {
  std::vector<unsigned char> bytes(kCodeLength);
  if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1) return {};
  std::string code;
  for (std::size_t i = 0; i < kCodeLength; ++i) {
    if (i > 0 && i % 4 == 0) code += '-';
    code += kCodeAlphabet[bytes[i] & 0x1F];  // 256 is a multiple of 32: no bias
  }
  return code;
}

std::string NormalizeRecoveryCode(const std::string& typed) {
  std::string out;
  for (char c : typed) {
    if (c == '-' || c == ' ') continue;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c == 'O') c = '0';
    if (c == 'I' || c == 'L') c = '1';
    bool known = false;
    for (const char* p = kCodeAlphabet; *p; ++p) known = known || *p == c;
    if (!known) return {};
    out += c;
  }
  return out.size() == kCodeLength ? out : std::string();
}

}  // namespace kzsvc
