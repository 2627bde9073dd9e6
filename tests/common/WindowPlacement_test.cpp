#include "common/WindowPlacement.h"

#include <gtest/gtest.h>

namespace kolvex {
namespace {

TEST(PlaceWindow, CentredOnTheScreenThenMovedIntoTheWorkArea) {
  const Box work{0, 30, 1024, 738};  // a task bar at the top
  EXPECT_EQ(PlaceWindow({315, 120}, {1024, 768}, work), (Box{354, 324, 315, 120}));
  EXPECT_EQ(PlaceWindow({315, 738}, {1024, 768}, work), (Box{354, 30, 315, 738}));
  EXPECT_EQ(PlaceWindow({1024, 100}, {1024, 768}, {100, 0, 924, 768}), (Box{100, 334, 1024, 100}));
}

}  // namespace
}  // namespace kolvex
