#include "launcher/UpdateStage.h"

#include <gtest/gtest.h>

namespace kolvex {
namespace {

TEST(UpdateLockName, ReadableShortAndOnePerDirectory) {
  const std::string name = UpdateLockName("C:\\PROGRAM FILES\\APP");
  EXPECT_TRUE(name.starts_with("Kolvex-")) << name;
  EXPECT_EQ(name.find_first_not_of("0123456789abcdef", 7), std::string::npos) << name;
  EXPECT_EQ(name.size(), 7u + 16u) << name;
  EXPECT_EQ(UpdateLockName("C:\\PROGRAM FILES\\APP"), name) << "the same in every run";
  for (const char* other : {"C:\\PROGRAM FILES\\APP2", "C:\\PROGRAM FILES\\AP", "D:\\PROGRAM FILES\\APP", ""})
    EXPECT_NE(UpdateLockName(other), name) << other;
}

}  // namespace
}  // namespace kolvex
