#pragma once
// One named value from a program file's version information.
#include <string>

namespace kolvex {

// "FileVersion" / "ProductVersion" from the fixed record as a.b.c.d, any
// other name from the string table; the empty string for every absence.
std::string GetFileVersionString(const std::string& fileName, const std::string& valueName);

}  // namespace kolvex
