#pragma once
// Text files written by people with whatever editor they had at hand.
#include <string>
#include <string_view>

namespace kolvex {

// Converts bytes in the system's ANSI code page to UTF-8.
using AnsiDecoder = std::string (*)(std::string_view bytes);

// Text of a file as the launcher reads settings and messages: UTF-16 LE with a byte-order mark,
// UTF-8 with one, UTF-8 without one when the bytes are valid UTF-8, otherwise the ANSI code page.
// Returns UTF-8 without the byte-order mark. What cannot be decoded (an unpaired surrogate, a
// stray byte of a UTF-8 file with a mark, the odd last byte of a UTF-16 file) becomes U+FFFD;
// NUL characters are kept.
std::string DecodeText(std::string_view bytes, AnsiDecoder fromAnsi);

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

}  // namespace kolvex
