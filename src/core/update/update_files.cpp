#include "update/update_files.h"

#include <cstdlib>

namespace kz::update {

std::string DownloadFileName(const std::string& url) {
  std::string name = url.substr(0, url.find('\0'));
  if (size_t slash = name.rfind('/'); slash != std::string::npos) name = name.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return "download";
  return name;
}

std::string DownloadPath(const std::string& dataDir, const std::string& url) {
  return dataDir + kDownloadFolderName + DownloadFileName(url);
}

std::string ManifestUrlFor(const std::string& hostSetting) {
  std::string host = hostSetting.empty() ? "127.0.0.1" : hostSetting;
  // A bare IPv6 address has colons of its own; only a bracketed one carries a port after them.
  const bool hasPort = host.front() == '['
                           ? host.find("]:") != std::string::npos
                           : host.find(':') != std::string::npos && host.find(':') == host.rfind(':');
  if (!hasPort) {
    if (host.front() != '[' && host.find(':') != std::string::npos) host = "[" + host + "]";
    host += ":" + std::to_string(kUpdatePort);
  }
  return "http://" + host + "/kzver.txt";
}

std::string ManifestUrl() {
  const char* setting = std::getenv("KZMOUSE_UPDATE_HOST");
  return ManifestUrlFor(setting ? setting : "");
}

}  // namespace kz::update
