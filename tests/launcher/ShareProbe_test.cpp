#include "launcher/ShareProbe.h"

#include <gtest/gtest.h>

#include "launcher/Settings.h"

namespace kolvex {
namespace {

TEST(ShareTimeBoxMs, WholeSecondsUpToAnHourOrTheDefault) {
  const struct {
    const char* setting;
    uint32_t ms;
  } cases[] = {{"", kShareTimeBoxMs}, {" 5 ", 5000},           {"0", 0},         {"3600", 3600000},
               {"3601", kShareTimeBoxMs}, {"2.5", kShareTimeBoxMs}, {"-1", kShareTimeBoxMs}, {"99999", kShareTimeBoxMs},
               {"3 s", kShareTimeBoxMs}};
  for (const auto& c : cases) EXPECT_EQ(ShareTimeBoxMs(c.setting), c.ms) << c.setting;
  EXPECT_EQ(ParseSettings("[main]\r\nshared_timeout=10\r\n", "C:\\P").shareTimeBoxMs, 10000u);
}

TEST(ShareVerdict, OnlyAShareThatAnsweredWithADirectoryOrAnotherErrorIsTouchedAgain) {
  const std::optional<UpdateResult> goOn;
  const struct {
    std::optional<ShareReply> reply;
    std::optional<UpdateResult> verdict;
  } cases[] = {
      {std::nullopt, UpdateResult::ShareNotAnswering},
      {ShareReply{.found = true, .attributes = 0x10}, goOn},
      {ShareReply{.found = true, .attributes = 0x20}, UpdateResult::ShareNotFound},  // a file
      {ShareReply{.error = 3}, UpdateResult::ShareNotFound},
      {ShareReply{.error = 53}, UpdateResult::ShareNotFound},   // no such server
      {ShareReply{.error = 67}, UpdateResult::ShareNotFound},   // no such share
      {ShareReply{.error = 5}, goOn},                           // the update meets it as before
      {ShareReply{.error = 1231}, goOn},
  };
  for (const auto& c : cases) EXPECT_EQ(ShareVerdict(c.reply), c.verdict) << (c.reply ? c.reply->error : 9999);
}

}  // namespace
}  // namespace kolvex
