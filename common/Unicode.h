#pragma once
// UTF-8 and UTF-16 by hand, where the text is bytes of a file rather than a
// string for the system.
#include <string>
#include <string_view>

namespace kolvex {

// What stands for a character that cannot be decoded.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Whether c is a continuation byte of a UTF-8 sequence (10xxxxxx), not the
// first byte of a character.
constexpr bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Whether a UTF-16 unit is the first (high) or the second (low) half of a
// surrogate pair.
constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Appends the UTF-8 form of the code point c (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t c);

// UTF-16 LE bytes as UTF-8, NUL characters included. A surrogate without its
// partner becomes U+FFFD; an odd last byte, half a unit, is left out.
std::string Utf16LeToUtf8(std::string_view bytes);

}  // namespace kolvex
