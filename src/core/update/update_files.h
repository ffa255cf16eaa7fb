#pragma once
// Where the update flows keep their files, all below the data folder (which ends in "/"), and the
// update server's address.
#include <string>

namespace kz::update {

inline constexpr const char* kManualManifestName = "ver.ini";
inline constexpr const char* kSilentManifestName = "ver2.ini";
inline constexpr const char* kDownloadFolderName = "down/";
inline constexpr const char* kUpdateFolderName = "Update";
inline constexpr int kUpdatePort = 4778;

// The name a download of `url` is kept under: the part after the last "/", or the whole text when
// it has none. A name that would leave the download folder or name no file ("", ".", "..") is
// replaced by "download"; a NUL byte ends the name.
std::string DownloadFileName(const std::string& url);
// dataDir + "down/" + DownloadFileName(url).
std::string DownloadPath(const std::string& dataDir, const std::string& url);

// "http://" + host + ":4778/kzver.txt", the host from KZMOUSE_UPDATE_HOST (HOST or HOST:PORT;
// "127.0.0.1" when unset).
std::string ManifestUrl();
std::string ManifestUrlFor(const std::string& hostSetting);

}  // namespace kz::update
