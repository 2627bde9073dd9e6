#include <windows.h>

#include <gtest/gtest.h>

#include "common/win32/SystemText.h"

namespace kolvex {
namespace {

bool EndsWithCrLf(const std::string& s) { return s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0; }

TEST(GetErrorString, SystemTextsComeUnchangedWithTheirCrLf) {
  for (int code : {2, 3, 5, 32}) {
    const std::string text = GetErrorString(code);
    EXPECT_GT(text.size(), 2u) << code;
    EXPECT_TRUE(EndsWithCrLf(text)) << code << ": " << text;
    EXPECT_EQ(text.find("Error in GetErrorString"), std::string::npos) << code;
  }
  EXPECT_NE(GetErrorString(2), GetErrorString(32));
}

TEST(GetErrorString, UnknownCodeGivesTheFallbackWithBothNumbers) {
  const std::string text = GetErrorString(0x0FEDCBA9);
  EXPECT_EQ(text.rfind("Error in GetErrorString(267242409) : ", 0), 0u) << text;
  const std::string lookupError = text.substr(text.find(") : ") + 4);
  EXPECT_FALSE(lookupError.empty());
  EXPECT_NE(std::stol(lookupError), 0);
  EXPECT_EQ(GetErrorString(-5).rfind("Error in GetErrorString(-5) : ", 0), 0u);
}

TEST(GetErrorString, InsertSequencesAreNeverFilledFromMissingArguments) {
  // 34: "The wrong diskette is in the drive. Insert %2 (Volume Serial Number: %3) into drive %1."
  const std::string text = GetErrorString(ERROR_WRONG_DISK);
  EXPECT_FALSE(text.empty());
}

TEST(GetErrorReason, IsTheSystemTextUpToItsLastVisibleCharacter) {
  const std::string reason = GetErrorReason(ERROR_ACCESS_DENIED);
  ASSERT_FALSE(reason.empty());
  EXPECT_EQ(GetErrorString(ERROR_ACCESS_DENIED).rfind(reason + "\r\n", 0), 0u) << reason;
}

TEST(GetLastErrorString, ReadsTheLastErrorAtTheMomentOfTheCall) {
  SetLastError(ERROR_SHARING_VIOLATION);
  EXPECT_EQ(GetLastErrorString(), GetErrorString(ERROR_SHARING_VIOLATION));
  SetLastError(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetLastErrorString(), GetErrorString(ERROR_FILE_NOT_FOUND));
}

}  // namespace
}  // namespace kolvex
