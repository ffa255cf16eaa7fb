#pragma once
// Folders of the program on this platform (XDG base directories) and small file helpers.
// Every folder text ends in "/" so that file names can be appended directly. Without HOME and the
// XDG variables the home folder comes from the password database; with no home at all every folder
// text is empty (see NoHomeText), never a shared or relative folder.
#include <string>

namespace kz::paths {

// $XDG_DATA_HOME/kzMouse/ (default ~/.local/share/kzMouse/): the database and downloads.
std::string DataDir();
// $XDG_STATE_HOME/kzMouse/ (default ~/.local/state/kzMouse/): the diagnostic log.
std::string StateDir();
// $XDG_CONFIG_HOME/ (default ~/.config/): the autostart folder lives below it.
std::string ConfigHome();
// $XDG_RUNTIME_DIR/ when it is a folder (not a link) of this user with mode 0700 exactly, else the
// data folder: the single-instance lock and socket.
std::string RuntimeDir();
// Why the folders above are empty.
std::string NoHomeText();
// The folder of the running executable.
std::string ProgramDir();
// Full path of the running executable.
std::string ExecutablePath();

std::string DirName(const std::string& path);
// "path too long: ..." when `path` cannot name a file here (past PATH_MAX, or a name past NAME_MAX);
// "" when it can.
std::string PathProblem(const std::string& path);
// Creates the folder with its missing parents; new folders get `mode`. True when it exists afterwards;
// otherwise `problem` (when given) says why. A path that is too long makes nothing at all.
bool MakeDirs(const std::string& dir, unsigned mode = 0700, std::string* problem = nullptr);
// MakeDirs for a folder of the program's own (the kzMouse folders): made 0700, and tightened to
// 0700 when found open to group or others.
bool MakeOwnDir(const std::string& dir, std::string* problem = nullptr);
bool FileExists(const std::string& path);
// Copies `from` over `to` (replacing it, through a temporary file in the same folder) and keeps
// the mode bits of `from`; false and `to` untouched on any failure.
bool CopyFileOver(const std::string& from, const std::string& to);
// Writes `content` to `path` through a temporary file and a rename; false on failure. Whatever stands
// at `path` (a link too) is replaced, never written through.
bool WriteFileAtomic(const std::string& path, const std::string& content, unsigned mode = 0644);
// Reads a regular file (a FIFO or device is refused rather than waited on).
bool ReadFile(const std::string& path, std::string& content);

// Opens a file the program keeps for itself (`flags` as for open(2); new files get `mode`): never
// through a link at `path`, never a FIFO or device, and without blocking. -1 on failure, and `why`
// (when given) is "is a symbolic link", "is not a regular file" or "cannot be opened: <reason>";
// `why` stays empty when the file does not exist and `flags` do not create it.
int OpenOwnFile(const std::string& path, int flags, unsigned mode = 0600, std::string* why = nullptr);
// ReadFile through OpenOwnFile.
bool ReadOwnFile(const std::string& path, std::string& content, std::string* why = nullptr);
// Whether a file may be put at `path` by a rename: nothing is there yet, or a regular file; else
// false and `why` as for OpenOwnFile.
bool MayReplaceOwnFile(const std::string& path, std::string* why = nullptr);

}  // namespace kz::paths
