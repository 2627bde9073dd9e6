#pragma once
// UTF-8 and UTF-16 by hand, where the text is bytes of a file rather than a
// string for the system.
#include <string_view>

namespace kolvex {

// Whether c is a continuation byte of a UTF-8 sequence (10xxxxxx), not the
// first byte of a character.
constexpr bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace kolvex
