#include "update/ShareProbe.h"

#include <gtest/gtest.h>

#include "update/Settings.h"

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

TEST(ShareVerdict, OnlyAShareThatAnsweredWithADirectoryIsTouchedAgain) {
  EXPECT_EQ(ShareVerdict(std::nullopt), UpdateResult::ShareNotAnswering);
  EXPECT_EQ(ShareVerdict(ShareReply{.found = true, .attributes = 0x10}), std::nullopt);
  EXPECT_EQ(ShareVerdict(ShareReply{.found = true, .attributes = 0x20}), UpdateResult::ShareNotFound);  // a file
  for (uint32_t gone : {2u, 3u, 53u, 67u})
    EXPECT_EQ(ShareVerdict(ShareReply{.error = gone}), UpdateResult::ShareNotFound) << gone;
  // No right, logon failure, other credentials in use, mapped drive gone, network
  // errors: a share that cannot be read is no share for this start either.
  for (uint32_t refused : {5u, 1326u, 1219u, 55u, 59u, 64u, 121u, 1203u, 1231u, 1232u})
    EXPECT_EQ(ShareVerdict(ShareReply{.error = refused}), UpdateResult::ShareRefused) << refused;
}

}  // namespace
}  // namespace kolvex
