// What a start makes of the service's replies: the window only for a copy
// that lasts, the updates with the start's own paths, the refusal apart.
#include "ipc/ServiceReplies.h"

#include <gtest/gtest.h>

#include <vector>

namespace kolvex {
namespace {

struct ShownCaptions final : UpdateProgress {
  void Refreshing(const std::string&, const std::string& caption) override { shown.push_back(caption); }
  void RefreshingProgram(const std::string&) override {}
  void Copying(uint64_t, uint64_t) noexcept override {}
  void WaitingForTurn(const std::string&) override {}
  std::vector<std::string> shown;
};

TEST(ServiceReplies, TheWindowShowsACopyLastingASecondAndTheOutcomeHasTheStartsPaths) {
  const Installation installation{.exeDir = "C:\\Widok", .sharedDir = "\\\\s\\u", .targetName = "prog.exe"};
  ShownCaptions progress;
  ServiceReplies replies(installation, progress);
  replies.Read(ProgressReply{"POMOC"}, 100);
  replies.Read(ProgressReply{""}, 1099);  // at work: the copy has lasted less than a second
  replies.Read(ProgressReply{"PROG.DLL"}, 1100);
  EXPECT_TRUE(progress.shown.empty());
  replies.Read(ProgressReply{""}, 2100);
  replies.Read(ProgressReply{"PROG.EXE"}, 2200);
  EXPECT_EQ(progress.shown, (std::vector<std::string>{"PROG.DLL", "PROG.EXE"}));

  replies.Read(UpdatedReply{{.name = "bin\\prog.dll", .compareMode = kCompareByVersion}}, 2300);
  replies.Read(FinishedReply{UpdateResult::Updated, "", ""}, 2400);
  ASSERT_EQ(replies.Outcome().updates.size(), 1u);
  EXPECT_EQ(replies.Outcome().updates[0].src, "\\\\s\\u\\bin\\prog.dll");
  EXPECT_EQ(replies.Outcome().updates[0].dst, "C:\\Widok\\bin\\prog.dll");
  EXPECT_EQ(replies.Outcome().result, UpdateResult::Updated);
  EXPECT_FALSE(replies.Refusal());
  replies.Read(RefusedReply{"powód"}, 2500);
  EXPECT_EQ(replies.Refusal(), "powód");
}

}  // namespace
}  // namespace kolvex
