#include "launcher/ErrorBox.h"

#include <gtest/gtest.h>

namespace kolvex {
namespace {

TEST(FormatExceptionText, AbortReadsAsTheRuntimeReportsIt) {
  EXPECT_EQ(FormatExceptionText("EAbort", "Kolvex.exe", 0x0040123A, "Operation aborted"),
            "Exception EAbort in module Kolvex.exe at 0040123A.\r\nOperation aborted.\r\n");
}

TEST(FormatExceptionText, FullStopOnlyWhenTheMessageLacksOne) {
  EXPECT_EQ(FormatExceptionText("EInOutError", "k.exe", 0, "Nie można otworzyć pliku."),
            "Exception EInOutError in module k.exe at 00000000.\r\nNie można otworzyć pliku.\r\n");
  EXPECT_EQ(FormatExceptionText("E", "k.exe", 0xFFFFFFFF, ""), "Exception E in module k.exe at FFFFFFFF.\r\n.\r\n");
  EXPECT_EQ(FormatExceptionText("E", "k.exe", 1, "a\r\n"), "Exception E in module k.exe at 00000001.\r\na\r\n.\r\n");
}

}  // namespace
}  // namespace kolvex
