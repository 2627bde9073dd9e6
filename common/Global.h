#pragma once
// Path and string helpers shared by every module. Strings are UTF-8;
// positions are 1-based, as the system counts them.
#include <cstdint>
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

// The character at a 1-based position, or NUL beyond the end.
char GetCharAt(std::string_view text, int position);

// Characters of code 32 and below off both ends.
std::string_view Trim(std::string_view text);

// Equal when the letters a to z are taken without regard to case, as the
// system compares the names in its settings.
bool SameTextIgnoringAsciiCase(std::string_view a, std::string_view b);

// The n-th delimited field (1-based; 0 counts as 1; negative gives empty).
std::string ExtractNthField(std::string_view text, int n, char delimiter);

// value in decimal or, with base 16, in upper-case hexadecimal, with zeros in
// front up to minDigits digits and a minus sign before them: printf's numbers
// without the 25 KB that its floating-point half adds to the program.
std::string FormatInteger(int64_t value, size_t minDigits = 1, unsigned base = 10);

}  // namespace kolvex
