#pragma once
#include <string>

namespace kolvex {

// The system's test for an existing file: a directory of that name counts as missing.
bool FileExists(const std::string& path);

}  // namespace kolvex
