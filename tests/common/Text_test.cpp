#include "common/Text.h"

#include <gtest/gtest.h>

namespace kolvex {
namespace {

TEST(GetCharAt, NulBeyondTheEnd) {
  EXPECT_EQ(GetCharAt("", 1), '\0');
  EXPECT_EQ(GetCharAt("abc", 1), 'a');
  EXPECT_EQ(GetCharAt("abc", 3), 'c');
  EXPECT_EQ(GetCharAt("abc", 4), '\0');
}

TEST(ExtractNthField, CountsDelimitersFromOne) {
  EXPECT_EQ(ExtractNthField("a/b/c", 0, '/'), "a");
  EXPECT_EQ(ExtractNthField("a/b/c", 1, '/'), "a");
  EXPECT_EQ(ExtractNthField("a/b/c", 2, '/'), "b");
  EXPECT_EQ(ExtractNthField("a/b/c", 3, '/'), "c");
  EXPECT_EQ(ExtractNthField("a/b/c", 4, '/'), "");
  EXPECT_EQ(ExtractNthField("a/b/c", -1, '/'), "");
  EXPECT_EQ(ExtractNthField("a/b/", 3, '/'), "");
  EXPECT_EQ(ExtractNthField("a//c", 2, '/'), "");
}

TEST(ExtractNthField, NetworkRootsInBothSlashForms) {
  EXPECT_EQ(ExtractNthField("//server/share/dir", 1, '/'), "");
  EXPECT_EQ(ExtractNthField("//server/share/dir", 3, '/'), "server");
  EXPECT_EQ(ExtractNthField("//server/share/dir", 4, '/'), "share");
  EXPECT_EQ(ExtractNthField("\\\\server\\share\\dir", 4, '\\'), "share");
}

}  // namespace
}  // namespace kolvex
