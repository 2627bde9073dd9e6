#include "common/Integers.h"

#include <gtest/gtest.h>

namespace kolvex {
namespace {

TEST(FormatInteger, AsPrintfPadsDecimalAndUpperCaseHexadecimal) {
  EXPECT_EQ(FormatInteger(0), "0");
  EXPECT_EQ(FormatInteger(-5, 4), "-0005");
  EXPECT_EQ(FormatInteger(12345, 2), "12345");
  EXPECT_EQ(FormatInteger(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(FormatInteger(0x40123A, 8, 16), "0040123A");
  EXPECT_EQ(FormatInteger(0xFFFFFFFF, 8, 16), "FFFFFFFF");
}

}  // namespace
}  // namespace kolvex
