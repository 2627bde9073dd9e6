#include "files/FileRetry.h"

#include <gtest/gtest.h>

namespace kolvex {
namespace {

TEST(ShouldRetryFileOperation, MomentaryHoldsWithinASecondOnly) {
  for (const uint32_t held : {kErrorAccessDenied, kErrorSharingViolation, kErrorLockViolation})
    EXPECT_TRUE(ShouldRetryFileOperation(held, 999) && !ShouldRetryFileOperation(held, 1000)) << held;
  for (const uint32_t lasting : {2u, 3u, 112u, 1224u}) EXPECT_FALSE(ShouldRetryFileOperation(lasting, 0)) << lasting;
}

}  // namespace
}  // namespace kolvex
