#pragma once
// Runs a helper program (no shell involved) and collects what it prints.
#include <string>
#include <vector>

namespace kz::settings {

// Runs argv[0] (looked up in PATH when it has no "/") with the given arguments, standard output
// into `output` (at most 64 KiB), standard error discarded. The exit status, or -1 when the
// program could not be started or did not exit normally.
int RunProgram(const std::vector<std::string>& argv, std::string& output);

}  // namespace kz::settings
