#include "cloud/text_codec.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <openssl/evp.h>

namespace kz::cloud {
namespace {

bool Unreserved(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '~' || c == '!' ||
         c == '*' || c == '(' || c == ')' || c == '\'';
}

// Length of the valid UTF-8 sequence at the start of `text`, or 0 when it does not start with one.
size_t Utf8SequenceLength(std::string_view text) {
  const auto* b = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  auto in = [&](size_t at, unsigned char low, unsigned char high) {
    return at < size && b[at] >= low && b[at] <= high;
  };
  if (size == 0) return 0;
  const unsigned char c = b[0];
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return in(1, 0x80, 0xBF) ? 2 : 0;
  if (c == 0xE0) return in(1, 0xA0, 0xBF) && in(2, 0x80, 0xBF) ? 3 : 0;
  if (c == 0xED) return in(1, 0x80, 0x9F) && in(2, 0x80, 0xBF) ? 3 : 0;
  if (c >= 0xE1 && c <= 0xEF) return in(1, 0x80, 0xBF) && in(2, 0x80, 0xBF) ? 3 : 0;
  if (c == 0xF0) return in(1, 0x90, 0xBF) && in(2, 0x80, 0xBF) && in(3, 0x80, 0xBF) ? 4 : 0;
  if (c >= 0xF1 && c <= 0xF3) return in(1, 0x80, 0xBF) && in(2, 0x80, 0xBF) && in(3, 0x80, 0xBF) ? 4 : 0;
  if (c == 0xF4) return in(1, 0x80, 0x8F) && in(2, 0x80, 0xBF) && in(3, 0x80, 0xBF) ? 4 : 0;
  return 0;
}

std::string AsciiOnly(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    size_t length = Utf8SequenceLength(utf8.substr(i));
    out += length == 1 ? utf8[i] : '?';
    i += length ? length : 1;
  }
  return out;
}

// Converts with iconv; what the target cannot hold, and input that is not valid in `from`, comes
// out as "?" (the ANSI conversion's default replacement). `unit` is the size of one input
// character when `from` is not UTF-8.
bool Convert(std::string_view input, const char* from, const std::string& to, size_t unit, std::string& out) {
  iconv_t cd = ::iconv_open(to.c_str(), from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.clear();
  const bool utf8Input = unit == 0;
  std::string buffer(input.size() * 4 + 16, '\0');
  char* inPtr = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  while (inLeft > 0) {
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    size_t rc = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buffer.data(), buffer.size() - outLeft);
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ (not valid input, or not in the target) or EINVAL (cut short at the end).
    size_t skip = utf8Input ? Utf8SequenceLength(std::string_view(inPtr, inLeft)) : unit;
    if (skip == 0 || skip > inLeft) skip = utf8Input ? 1 : inLeft;
    inPtr += skip;
    inLeft -= skip;
    out += '?';
  }
  // The shift state back to its start, for the few stateful sets.
  char* outPtr = buffer.data();
  size_t outLeft = buffer.size();
  ::iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  out.append(buffer.data(), buffer.size() - outLeft);
  ::iconv_close(cd);
  return true;
}

std::string LocaleCharset() {
  locale_t locale = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  // An environment naming a locale that is not installed falls back to C, as setlocale would.
  if (locale == static_cast<locale_t>(0)) return "UTF-8";
  std::string charset = ::nl_langinfo_l(CODESET, locale);
  ::freelocale(locale);
  if (charset.empty() || charset == "ANSI_X3.4-1968" || charset == "ASCII" || charset == "US-ASCII")
    return "UTF-8";
  return charset;
}

}  // namespace

std::string PercentEncode(std::string_view bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (Unreserved(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

const std::string& AnsiCharset() {
  static const std::string charset = LocaleCharset();
  return charset;
}

std::string Utf8ToCharset(std::string_view utf8, const std::string& charset) {
  std::string out;
  if (!Convert(utf8, "UTF-8", charset, 0, out)) return AsciiOnly(utf8);
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8) { return Utf8ToCharset(utf8, AnsiCharset()); }

std::string ToAnsi(std::wstring_view wide) {
  std::string out;
  std::string_view bytes(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
  if (Convert(bytes, "WCHAR_T", AnsiCharset(), sizeof(wchar_t), out)) return out;
  out.clear();
  for (wchar_t c : wide) out += c >= 0 && c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

std::string Md5Hex(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr) != 1) return std::string();
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned int i = 0; i < length; ++i) {
    out += kHex[digest[i] >> 4];
    out += kHex[digest[i] & 0x0F];
  }
  return out;
}

long long LeadingInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                             text[i] == '\f' || text[i] == '\v'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulated as a negative number, whose range is one larger.
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (value < (LLONG_MIN + digit) / 10) return negative ? LLONG_MIN : LLONG_MAX;
    value = value * 10 - digit;
  }
  if (negative) return value;
  return value == LLONG_MIN ? LLONG_MAX : -value;
}

}  // namespace kz::cloud
