#include "update/manifest.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace kz::update {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// Cut to `limit` characters, counting a UTF-8 sequence as one character so that no sequence is
// torn; a stray continuation byte counts on its own.
std::string CutToCharacters(std::string_view text, size_t limit) {
  size_t characters = 0, at = 0;
  while (at < text.size()) {
    if (characters == limit) break;
    size_t next = at + 1;
    if (static_cast<unsigned char>(text[at]) >= 0xC0)
      while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80 && next - at < 4) ++next;
    at = next;
    ++characters;
  }
  return std::string(text.substr(0, at));
}

}  // namespace

Manifest ReadManifest(std::string_view text) {
  Manifest manifest;
  struct Slot {
    const char* key;
    std::string* value;
    bool seen = false;
  } slots[] = {{"ver", &manifest.ver},         {"path", &manifest.path},     {"hardver", &manifest.hardver},
               {"hardpath", &manifest.hardpath}, {"sha256", &manifest.sha256}, {"hardsha256", &manifest.hardsha256}};
  // A byte-order mark in front of the first section name is the editor's, not the name's.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  bool inSection = false;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      inSection = close != std::string_view::npos && SameName(Trim(line.substr(1, close - 1)), "kz");
      continue;
    }
    if (!inSection) continue;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = Trim(line.substr(0, equals));
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    for (Slot& slot : slots) {
      if (slot.seen || !SameName(key, slot.key)) continue;
      slot.seen = true;
      *slot.value = CutToCharacters(value, kMaxManifestValue);
    }
  }
  return manifest;
}

bool ReadManifestFile(const std::string& path, Manifest& manifest) {
  manifest = {};
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return false;
  manifest = ReadManifest(content.str());
  return true;
}

}  // namespace kz::update
