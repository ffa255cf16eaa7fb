#pragma once
// Folders of the program on this platform (XDG base directories) and small file helpers.
// Every folder text ends in "/" so that file names can be appended directly.
#include <string>

namespace kz::paths {

// $XDG_DATA_HOME/kzMouse/ (default ~/.local/share/kzMouse/): the database and downloads.
std::string DataDir();
// $XDG_STATE_HOME/kzMouse/ (default ~/.local/state/kzMouse/): the diagnostic log.
std::string StateDir();
// $XDG_CONFIG_HOME/ (default ~/.config/): the autostart folder lives below it.
std::string ConfigHome();
// $XDG_RUNTIME_DIR/ when set and usable, else the data folder: the single-instance lock and socket.
std::string RuntimeDir();
// The folder of the running executable.
std::string ProgramDir();
// Full path of the running executable.
std::string ExecutablePath();

std::string DirName(const std::string& path);
// Creates the folder with its missing parents; new folders get `mode`. True when it exists afterwards.
bool MakeDirs(const std::string& dir, unsigned mode = 0700);
bool FileExists(const std::string& path);
// Copies `from` over `to` (replacing it, through a temporary file in the same folder) and keeps
// the mode bits of `from`; false and `to` untouched on any failure.
bool CopyFileOver(const std::string& from, const std::string& to);
// Writes `content` to `path` through a temporary file and a rename; false on failure.
bool WriteFileAtomic(const std::string& path, const std::string& content, unsigned mode = 0644);
bool ReadFile(const std::string& path, std::string& content);

}  // namespace kz::paths
