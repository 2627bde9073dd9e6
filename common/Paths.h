#pragma once
// Paths as the system writes them: "\\" or ":" ends a directory, "." begins
// an extension. Strings are UTF-8.
#include <string>
#include <string_view>

namespace kolvex {

// dir + separator + name. The separator is "/" when dir begins with "/",
// "\" otherwise, and is added only when dir's last character differs from it.
// name is never examined; an empty dir gives name unchanged.
std::string JoinPath(std::string_view dir, std::string_view name);

// Directory part: up to the last "\" or ":", without the trailing separator
// except for a root such as C:\ (and without one after "C:").
std::string ExtractFileDir(std::string_view path);

// File-name part: what follows the last "\" or ":"; the whole path when it
// holds neither.
std::string ExtractFileName(std::string_view path);

// Replaces the part from the last "." that follows the last "\" or ":" with
// ext, or appends ext when there is no such dot.
std::string ChangeFileExt(std::string_view path, std::string_view ext);

// Whether two names name the same file, as the file system compares them:
// "/" and "\" alike, and the letters of the Latin, Greek and Cyrillic
// alphabets without regard to case ("Łódź.DLL" is "łÓDŹ.dll"); every other
// character only as itself.
bool SameFileName(std::string_view a, std::string_view b);

}  // namespace kolvex
