#include "common/TextDecode.h"

#include <gtest/gtest.h>

namespace kolvex {
namespace {

using namespace std::string_literals;

// Marks what went through the code page, so that each case shows which way it was read.
std::string FakeAnsi(std::string_view bytes) { return "ANSI(" + std::string(bytes) + ")"; }

TEST(DecodeText, EachEncodingAndWhatCannotBeDecoded) {
  const struct {
    std::string bytes, utf8;
  } cases[] = {
      {"", ""},
      {"\xC5\x82\xC4\x85", "\xC5\x82\xC4\x85"},                            // łą without a mark
      {"\xEF\xBB\xBF[MAIN]", "[MAIN]"},                                    // UTF-8 mark dropped
      {"\xEF\xBB\xBF\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // encoded surrogate
      {"a\xB3\xB9", "ANSI(a\xB3\xB9)"},                                    // ł ą in code page 1250
      {"\xC0\xAF", "ANSI(\xC0\xAF)"},                                      // overlong
      {"\xC1\xBF", "ANSI(\xC1\xBF)"},                                      // overlong, the last
      {"\xC2\x80", "\xC2\x80"},                                            // U+0080, the first of two bytes
      {"\xDF\xBF", "\xDF\xBF"},                                            // U+07FF, the last of two
      {"\xE0\x9F\xBF", "ANSI(\xE0\x9F\xBF)"},                              // overlong, the last of three bytes
      {"\xE0\xA0\x80", "\xE0\xA0\x80"},                                    // U+0800, the first of three
      {"\xED\x9F\xBF", "\xED\x9F\xBF"},                                    // U+D7FF, the last before the surrogates
      {"\xED\xA0\x80", "ANSI(\xED\xA0\x80)"},                              // surrogate U+D800
      {"\xED\xBF\xBF", "ANSI(\xED\xBF\xBF)"},                              // surrogate U+DFFF
      {"\xEF\xBF\xBF", "\xEF\xBF\xBF"},                                    // U+FFFF
      {"\xF0\x8F\xBF\xBF", "ANSI(\xF0\x8F\xBF\xBF)"},                      // overlong, the last of four bytes
      {"\xF0\x90\x80\x80", "\xF0\x90\x80\x80"},                            // U+10000, the first of four
      {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},                            // U+10FFFF, the last there is
      {"\xF4\x90\x80\x80", "ANSI(\xF4\x90\x80\x80)"},                      // U+110000
      {"\xF5\x80\x80\x80", "ANSI(\xF5\x80\x80\x80)"},                      // no character begins with F5
      {"\xFF\xFE" "a\0\x42\x01"s, "a\xC5\x82"},                            // UTF-16 mark dropped
      {"\xFF\xFE\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80"},                   // surrogate pair
      {"\xFF\xFE\x00\xDE" "a\0\x3D\xD8"s, "\xEF\xBF\xBD" "a\xEF\xBF\xBD"},  // unpaired, both kinds
      {"\xFF\xFE" "a\0b"s, "a\xEF\xBF\xBD"},                               // odd byte count
      {"\xFF\xFE" "a\0\0\0b\0"s, "a\0b"s},                                 // NUL kept
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeText(c.bytes, FakeAnsi), c.utf8) << testing::PrintToString(c.bytes);
  }
}

}  // namespace
}  // namespace kolvex
