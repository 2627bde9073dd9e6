#pragma once
// Integers as text.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kolvex {

// value in decimal or, with base 16, in upper-case hexadecimal, with zeros in
// front up to minDigits digits and a minus sign before them: printf's numbers
// without the 25 KB that its floating-point half adds to the program.
std::string FormatInteger(int64_t value, size_t minDigits = 1, unsigned base = 10);

}  // namespace kolvex
