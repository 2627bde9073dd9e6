#pragma once
// Small text chores of the settings and the probes. Strings are UTF-8;
// positions are 1-based, as the system counts them.
#include <string>
#include <string_view>

namespace kolvex {

// The character at a 1-based position, or NUL beyond the end.
char GetCharAt(std::string_view text, int position);

// Characters of code 32 and below off both ends.
std::string_view Trim(std::string_view text);

// Equal when the letters a to z are taken without regard to case, as the
// system compares the names in its settings.
bool SameTextIgnoringAsciiCase(std::string_view a, std::string_view b);

// The n-th delimited field (1-based; 0 counts as 1; negative gives empty).
std::string ExtractNthField(std::string_view text, int n, char delimiter);

}  // namespace kolvex
