#pragma once
// The updater's work: the extracted update is copied into the program folder and its folder
// removed. Each file is copied by its path relative to the update folder, written to a temporary
// file beside its target and renamed into place, so no program file is ever half written (a
// running program keeps its old file until it ends).
#include <string>

namespace kz::update {

struct InstallResult {
  int copied = 0;
  int failed = 0;  // files (or folders) that could not be put in place
};

// Copies everything below `source` into `target` (made with its parents), overwriting files.
// Symbolic links and special files below `source` are passed over; the permission bits travel
// (without set-id bits). A missing `source` copies nothing.
InstallResult CopyUpdateFolder(const std::string& source, const std::string& target);

// Removes `path` and everything below it, never following a link. True when it is gone.
bool DeleteFolder(const std::string& path);

// The updater's timer step: copies `source` into `target`; removes `source` only when every file
// was copied, so a failed copy can be tried again by a later update. True when all was copied.
bool InstallUpdate(const std::string& source, const std::string& target);

}  // namespace kz::update
