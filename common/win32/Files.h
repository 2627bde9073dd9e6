#pragma once
#include <string>

namespace kolvex {

// The system's test for an existing file: a directory of that name counts as missing.
bool FileExists(const std::string& path);

// The full path of a name relative to the current directory (the name
// unchanged when the system cannot make one).
std::string FullPathName(const std::string& path);

}  // namespace kolvex
