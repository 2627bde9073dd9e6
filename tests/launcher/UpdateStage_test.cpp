#include "launcher/UpdateStage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kolvex {
namespace {

TEST(UpdateLockName, ReadableShortAndOnePerDirectory) {
  const std::string name = UpdateLockName("C:\\PROGRAM FILES\\APP");
  EXPECT_THAT(name, ::testing::MatchesRegex("Kolvex-[0-9a-f]{16}"));
  EXPECT_EQ(UpdateLockName("C:\\PROGRAM FILES\\APP"), name) << "the same in every run";
  for (const char* other : {"C:\\PROGRAM FILES\\APP2", "C:\\PROGRAM FILES\\AP", "D:\\PROGRAM FILES\\APP", ""})
    EXPECT_NE(UpdateLockName(other), name) << other;
}

}  // namespace
}  // namespace kolvex
