#pragma once
// The version query on Windows: GetFileVersionInfoW and VerQueryValueW.
#include <string>

#include "files/FileVer.h"

namespace kolvex {

// The value from the version information of an existing file (a directory
// counts as missing); the empty string for every absence. Only running out
// of memory raises.
std::string GetFileVersionString(const std::string& fileName, const std::string& valueName);

}  // namespace kolvex
