#include "text.h"

#include "messages.h"

namespace kzsvc {
namespace {

// Decodes the code point at `i` and moves past it; -1 for a malformed, overlong or surrogate
// sequence.
long NextCodePoint(const std::string& s, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  std::size_t extra;
  long cp;
  long min;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, cp = b0 & 0x07, min = 0x10000;
  } else {
    return -1;
  }
  if (i + extra >= s.size()) return -1;
  for (std::size_t k = 1; k <= extra; ++k) {
    const unsigned char b = byte(i + k);
    if ((b & 0xC0) != 0x80) return -1;
    cp = cp << 6 | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  i += extra + 1;
  return cp;
}

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool IsValidUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    if (NextCodePoint(text, i) < 0) return false;
  }
  return true;
}

std::size_t Utf16Length(const std::string& utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const long cp = NextCodePoint(utf8, i);
    if (cp < 0) break;
    units += cp >= 0x10000 ? 2 : 1;
  }
  return units;
}

std::string TrimWhite(const std::string& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsWhite(text[begin])) ++begin;
  while (end > begin && IsWhite(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string UserNameProblem(const std::string& name) {
  if (name.empty()) return msg::kNameMissing;
  if (!IsValidUtf8(name)) return msg::kNameBadCharacters;
  for (std::size_t i = 0; i < name.size();) {
    const long cp = NextCodePoint(name, i);
    // Control characters (C0, DEL, C1) would break log lines and the client's message boxes.
    if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) return msg::kNameBadCharacters;
  }
  if (Utf16Length(name) > kMaxUserNameLength) return msg::kNameTooLong;
  // The client's name for "nobody logged in": an account of that name would never sync.
  if (name == "CommonUser") return msg::kNameReserved;
  return {};
}

std::string HtmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace kzsvc
