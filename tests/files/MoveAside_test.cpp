#include "files/MoveAside.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace kolvex {
namespace {

TEST(RunStateOf, OnlyAProcessGoneOrExitedHasEndedAndOneThatMayNotBeOpenedRuns) {
  EXPECT_EQ(RunStateOf(0, true), RunState::Ended);
  EXPECT_EQ(RunStateOf(0, false), RunState::Running);
  EXPECT_EQ(RunStateOf(87, false), RunState::Ended);        // no such process
  EXPECT_EQ(RunStateOf(5, false), RunState::MayNotLook);    // another user's
  EXPECT_EQ(RunStateOf(1450, false), RunState::MayNotLook);  // anything else the system says
}

TEST(FateOfLeftover, AnEndedRunsFilesGoAndAMovedAsideOneComesBackWhereItsNameStandsEmpty) {
  for (const RunState kept : {RunState::Running, RunState::MayNotLook})
    for (const bool movedAside : {false, true}) EXPECT_EQ(FateOfLeftover(kept, movedAside, false), LeftoverFate::Keep);
  EXPECT_EQ(FateOfLeftover(RunState::Ended, false, false), LeftoverFate::Remove);
  EXPECT_EQ(FateOfLeftover(RunState::Ended, true, true), LeftoverFate::Remove);
  EXPECT_EQ(FateOfLeftover(RunState::Ended, true, false), LeftoverFate::PutBack);
}

// Files by name: "prog.exe" runs, so it is moved aside. Each rename from > to
// fails with a sharing violation as many times as failures says; a long
// retry makes three attempts.
struct Calls final : ReplacementCalls {
  std::map<std::string, std::string> files{{"prog.exe", "old"}, {"copy", "new"}};
  std::map<std::string, int> failures;
  std::set<std::string> hidden;
  uint32_t TargetHold(const std::string&) override { return 32; }
  uint32_t Replace(const std::string&, const std::string&) override { return 32; }
  uint32_t Rename(const std::string& from, const std::string& to) override {
    if (failures[from + ">" + to]-- > 0) return 32;
    files[to] = files[from];
    files.erase(from);
    return 0;
  }
  void Hide(const std::string& path) override { hidden.insert(path); }
  uint32_t RetryingLong(const std::function<uint32_t()>& attempt) override {
    uint32_t error = attempt();
    for (int i = 1; i < 3 && error == 32; ++i) error = attempt();
    return error;
  }
};

TEST(ReplaceMovingAside, TheProgramsNameHoldsAWholeProgramWhicheverRenameFails) {
  struct Case {
    int placingFails, backFails;
    uint32_t result;
    const char* program;  // under prog.exe afterwards; nothing: only under the moved-aside name
  };
  for (const Case c : {Case{0, 0, 0, "new"}, Case{3, 0, 32, "old"}, Case{4, 3, 0, "new"}, Case{6, 3, 32, "old"},
                       Case{6, 6, 32, nullptr}}) {
    Calls calls;
    calls.failures = {{"copy>prog.exe", c.placingFails}, {"aside>prog.exe", c.backFails}};
    EXPECT_EQ(ReplaceMovingAside(calls, "copy", "prog.exe", "aside"), c.result) << c.placingFails;
    if (c.program) {
      EXPECT_EQ(calls.files["prog.exe"], c.program) << c.placingFails;
      EXPECT_EQ(calls.hidden.contains("aside"), c.result == 0) << c.placingFails;
    } else {  // for the next start to put back
      EXPECT_EQ(calls.files["aside"], "old");
      EXPECT_EQ(FateOfLeftover(RunState::Ended, true, calls.files.contains("prog.exe")), LeftoverFate::PutBack);
    }
  }
}

}  // namespace
}  // namespace kolvex
