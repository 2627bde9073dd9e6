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
      {"a=b\r\n", "a=b\r\n"},
      {"\xC5\x82\xC4\x85", "\xC5\x82\xC4\x85"},                            // łą without a mark
      {"\xEF\xBB\xBF[MAIN]", "[MAIN]"},                                    // UTF-8 mark dropped
      {"\xEF\xBB\xBF" "a\xB3" "b", "a\xEF\xBF\xBD" "b"},                   // stray byte after the mark
      {"\xEF\xBB\xBF\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // encoded surrogate
      {"a\xB3\xB9", "ANSI(a\xB3\xB9)"},                                    // ł ą in code page 1250
      {"\xC0\xAF", "ANSI(\xC0\xAF)"},                                      // overlong
      {"\xF4\x90\x80\x80", "ANSI(\xF4\x90\x80\x80)"},                      // past U+10FFFF
      {"\xC5", "ANSI(\xC5)"},                                              // cut short
      {"\xFE\xFF\0a"s, "ANSI(\xFE\xFF\0a)"s},                              // big-endian is not read
      {"\xFF\xFE" "a\0\x42\x01"s, "a\xC5\x82"},                            // UTF-16 mark dropped
      {"\xFF\xFE\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80"},                   // surrogate pair
      {"\xFF\xFE\x00\xDE" "a\0\x3D\xD8"s, "\xEF\xBF\xBD" "a\xEF\xBF\xBD"},  // unpaired, both kinds
      {"\xFF\xFE" "a\0b"s, "a\xEF\xBF\xBD"},                               // odd byte count
      {"\xFF\xFE" "a\0\0\0b\0"s, "a\0b"s},                                 // NUL kept
      {"a\0b"s, "a\0b"s},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeText(c.bytes, FakeAnsi), c.utf8) << testing::PrintToString(c.bytes);
  }
}

}  // namespace
}  // namespace kolvex
