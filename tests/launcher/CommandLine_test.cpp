#include "launcher/CommandLine.h"

#include <gtest/gtest.h>

namespace kolvex {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, EveryCodeFromOneToThirtyTwoSeparates) {
  for (int c = 1; c <= 32; ++c) {
    const std::string line = std::string("k.exe") + static_cast<char>(c) + "a" + static_cast<char>(c) + "b";
    EXPECT_EQ(SplitCommandLine(line), (Args{"k.exe", "a", "b"})) << "code " << c;
  }
  EXPECT_EQ(SplitCommandLine("k.exe \x7f\xc5\x82"), (Args{"k.exe", "\x7f\xc5\x82"}));
}

TEST(SplitCommandLine, QuotedStretchesHoldSeparatorsAndJoinNeighbours) {
  EXPECT_EQ(SplitCommandLine("k.exe prog.exe /a \"b c\""), (Args{"k.exe", "prog.exe", "/a", "b c"}));
  EXPECT_EQ(SplitCommandLine("k.exe x\"y z\"w next"), (Args{"k.exe", "xy zw", "next"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\k.exe\" a"), (Args{"C:\\Program Files\\k.exe", "a"}));
}

TEST(SplitCommandLine, BackslashesAreOrdinaryCharacters) {
  EXPECT_EQ(SplitCommandLine("k.exe \"C:\\dir\\\" x"), (Args{"k.exe", "C:\\dir\\", "x"}));
  EXPECT_EQ(SplitCommandLine("k.exe a\\\"b c\""), (Args{"k.exe", "a\\b c"}));
}

TEST(SplitCommandLine, UnterminatedQuoteRunsToTheEnd) {
  EXPECT_EQ(SplitCommandLine("k.exe \"a b"), (Args{"k.exe", "a b"}));
  EXPECT_EQ(SplitCommandLine("k.exe a\""), (Args{"k.exe", "a"}));
}

TEST(SplitCommandLine, EmptyArgumentsAreNeitherCountedNorForwarded) {
  EXPECT_EQ(SplitCommandLine("k.exe \"\" a \"\"\"\" b \"\""), (Args{"k.exe", "a", "b"}));
  EXPECT_EQ(SplitCommandLine("k.exe a\"\"b"), (Args{"k.exe", "ab"}));
  EXPECT_EQ(SplitCommandLine("k.exe \" \""), (Args{"k.exe", " "}));
  EXPECT_EQ(SplitCommandLine("k.exe \""), (Args{"k.exe"}));
  EXPECT_EQ(SplitCommandLine(""), Args{});
  EXPECT_EQ(SplitCommandLine("   "), Args{});
}

TEST(SplitCommandLine, DoubledQuotesInsideAStretchAreNotAQuote) {
  // Unlike the C runtime, "" inside a quoted stretch closes and reopens it.
  EXPECT_EQ(SplitCommandLine("k.exe \"a\"\"b\""), (Args{"k.exe", "ab"}));
  EXPECT_EQ(SplitCommandLine("k.exe \"a \"\" b\""), (Args{"k.exe", "a  b"}));
}

TEST(SplitCommandLine, NulEndsTheLine) {
  EXPECT_EQ(SplitCommandLine(std::string_view("k.exe a\0b", 9)), (Args{"k.exe", "a"}));
}

TEST(BuildForwardedParams, EveryArgumentAfterTheProgramQuoted) {
  EXPECT_EQ(BuildForwardedParams({"k.exe", "prog.exe", "/a", "b c"}), " \"prog.exe\" \"/a\" \"b c\"");
  EXPECT_EQ(BuildForwardedParams({"k.exe"}), "");
  EXPECT_EQ(BuildForwardedParams({}), "");
}

TEST(BuildForwardedParams, SplittingTheForwardedStringGivesTheArgumentsBack) {
  const Args args{"k.exe", "prog.exe", "C:\\a b\\", "x\\y", "zażółć"};
  Args again = SplitCommandLine("prog.exe" + BuildForwardedParams(args));
  EXPECT_EQ(again, (Args{"prog.exe", "prog.exe", "C:\\a b\\", "x\\y", "zażółć"}));
}

}  // namespace
}  // namespace kolvex
