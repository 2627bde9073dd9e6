#include "launcher/ShareProbe.h"

#include <gtest/gtest.h>

#include "launcher/Settings.h"

namespace kolvex {
namespace {

TEST(ShareTimeBoxMs, WholeSecondsUpToAnHourOrTheDefault) {
  // 2^32 and 2^32 + 3600 seconds: no wrap-around to a time-box of 0 or 3600 s.
  for (const char* bad : {"", "3601", "2.5", "-1", "99999", "3 s", "4294967296", "4294970896"})
    EXPECT_EQ(ShareTimeBoxMs(bad), kShareTimeBoxMs) << bad;
  EXPECT_EQ(ShareTimeBoxMs(" 000005 "), 5000u);
  EXPECT_EQ(ShareTimeBoxMs("0"), 0u);
  EXPECT_EQ(ShareTimeBoxMs("3600"), 3600000u);
  EXPECT_EQ(ParseSettings("[main]\r\nshared_timeout=10\r\n", "C:\\P").shareTimeBoxMs, 10000u);
}

TEST(ShareVerdict, OnlyAShareThatAnsweredWithADirectoryOrAnotherErrorIsTouchedAgain) {
  EXPECT_EQ(ShareVerdict(std::nullopt), UpdateResult::ShareNotAnswering);
  EXPECT_EQ(ShareVerdict(ShareReply{.found = true, .attributes = 0x10}), std::nullopt);
  EXPECT_EQ(ShareVerdict(ShareReply{.found = true, .attributes = 0x20}), UpdateResult::ShareNotFound);  // a file
  for (uint32_t gone : {3u, 53u, 67u}) EXPECT_EQ(ShareVerdict(ShareReply{.error = gone}), UpdateResult::ShareNotFound);
  // Anything else the update meets on its own.
  for (uint32_t other : {5u, 1231u}) EXPECT_EQ(ShareVerdict(ShareReply{.error = other}), std::nullopt);
}

}  // namespace
}  // namespace kolvex
