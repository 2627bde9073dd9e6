// The release in stages as rules: who takes it when, what holds it back.
#include "update/Release.h"

#include <gtest/gtest.h>

#include "common/Integers.h"

namespace kolvex {
namespace {

DateTime At(const char* text) { return *ParseStageTime(text); }

constexpr std::string_view kGood =
    "; wydanie w etapach\r\n[WYDANIE]\r\nWERSJA=1.0.1.4\r\nPILOT=KSIEG-*, sekretariat\r\nETAP=2026-12-03 08:00, 50 %\r\n"
    "etap=2026-12-01 08:00,10\r\nLIMIT_BLEDOW=3\r\nWYCOFANIE=tak\r\n";

TEST(ReleaseBucket, EvenOverTenThousandNamesStableAndDealtAnewForEachVersion) {
  int below[101] = {}, bothTenths = 0;
  for (int i = 0; i < 10000; ++i) {
    const std::string name = "PC-" + FormatInteger(i, 4);
    const int bucket = ReleaseBucket(name, "1.0.1.4");
    ASSERT_GE(bucket, 0);
    ASSERT_LT(bucket, 100);
    ASSERT_EQ(ReleaseBucket("pc-" + FormatInteger(i, 4), "1.0.1.4"), bucket) << "the name's case does not count";
    ++below[bucket + 1];
    if (bucket < 10 && ReleaseBucket(name, "1.0.1.5") < 10) ++bothTenths;
  }
  for (int p = 1; p <= 100; ++p) {
    below[p] += below[p - 1];
    EXPECT_NEAR(below[p] / 100.0, p, 3.0) << "computers below " << p << " %";
  }
  EXPECT_LT(bothTenths, 300) << "the next release's first tenth is another tenth";
}

TEST(StageInForce, BeforeBetweenAfterAndAStageNeverBeforeASmallerOne) {
  const Release release = ParseRelease(kGood).release;
  EXPECT_FALSE(StageInForce(release, At("2026-12-01 07:59")));
  EXPECT_EQ(StageInForce(release, At("2026-12-01 08:00"))->percent, 10);
  EXPECT_EQ(StageInForce(release, At("2026-12-03 07:59"))->percent, 10);
  EXPECT_EQ(StageInForce(release, At("2030-01-01 00:00"))->percent, 50);
  // 100 % dated before 10 %: it opens with 10 % at the earliest.
  Release early = release;
  early.stages.push_back({At("2026-11-01 00:00"), 100});
  EXPECT_FALSE(StageInForce(early, At("2026-11-15 00:00")));
  EXPECT_EQ(*StageInForce(early, At("2026-12-04 00:00")), (ReleaseStage{At("2026-12-03 08:00"), 100}));
}

TEST(ParseRelease, ReadsWhatItIsGivenAndEveryMalformedFormHoldsTheReleaseBack) {
  const ReleaseFile good = ParseRelease(kGood);
  ASSERT_EQ(good.problem, "");
  EXPECT_EQ(good.release.version, "1.0.1.4");
  EXPECT_EQ(good.release.pilots, "KSIEG-*,sekretariat,");
  EXPECT_EQ(good.release.stages.size(), 2u);
  EXPECT_EQ(good.release.failureLimit, 3u);
  EXPECT_TRUE(good.release.rollBack);
  EXPECT_FALSE(good.release.halted);
  const std::string head = "[WYDANIE]\r\nWERSJA=1.0.1.4\r\n";
  for (const std::string& bad : {
           std::string(""), std::string("WERSJA=1.0.1.4\r\nLIMIT_BLEDOW=3\r\n"), head,
           head + "LIMIT_BLEDOW=0\r\n", head + "LIMIT_BLEDOW=trzy\r\n", head + "LIMIT_BLEDOW=-1\r\n",
           head + "LIMIT_BLEDOW=3\r\nLIMIT_BLEDOW=4\r\n", head + "LIMIT_BLEDOW=3\r\nETAP=2026-12-01 08:00\r\n",
           head + "LIMIT_BLEDOW=3\r\nETAP=2026-13-01 08:00,10\r\n", head + "LIMIT_BLEDOW=3\r\nETAP=2026-12-01 8:00,10\r\n",
           head + "LIMIT_BLEDOW=3\r\nETAP=2026-12-01 08:00,101\r\n", head + "LIMIT_BLEDOW=3\r\nETAP=01.12.2026,10\r\n",
           head + "LIMIT_BLEDOW=3\r\nPILOT=A,,B\r\n", head + "LIMIT_BLEDOW=3\r\nWSTRZYMANE=może\r\n",
           head + "LIMIT_BLEDOW=3\r\nPROCENT=10\r\n", head + "LIMIT_BLEDOW=3\r\n[ETAPY]\r\n",
           head + "LIMIT_BLEDOW=3\r\n[WYDANIE]\r\n", head + "LIMIT_BLEDOW=3\r\nETAP 2026-12-01 08:00 10\r\n",
           std::string("[WYDANIE]\r\nWERSJA=1.0 .1.4\r\nLIMIT_BLEDOW=3\r\n")}) {
    const ReleaseFile file = ParseRelease(bad);
    EXPECT_NE(file.problem, "") << bad;
  }
}

TEST(SetReleaseHalted, ChangesTheOneKeyAndKeepsTheRest) {
  const std::string halted = SetReleaseHalted(kGood, true);
  EXPECT_TRUE(ParseRelease(halted).release.halted);
  EXPECT_TRUE(halted.starts_with("; wydanie w etapach\r\n[WYDANIE]\r\nWSTRZYMANE=tak\r\nWERSJA=1.0.1.4\r\n")) << halted;
  const std::string resumed = SetReleaseHalted(halted, false);
  EXPECT_EQ(resumed, SetReleaseHalted(kGood, false));
  EXPECT_FALSE(ParseRelease(resumed).release.halted);
  EXPECT_EQ(resumed.find("tak\r\nWERSJA"), std::string::npos);
}

// One computer's start as the rule sees it; each case changes one fact.
TEST(DecideRelease, WhoTakesWaitsIsHaltedOrGoesBack) {
  const ReleaseFacts base{.fileFound = true,
                          .file = ParseRelease(kGood),
                          .shareVersion = "1.0.1.4",
                          .installedVersion = "1.0.1.3",
                          .installed = true,
                          .computer = "BIURO-7",
                          .now = At("2026-12-02 12:00"),
                          .failures = 2u};
  const int bucket = ReleaseBucket("BIURO-7", "1.0.1.4");
  const ReleaseStep outside = bucket < 10 ? ReleaseStep::Take : ReleaseStep::Wait;
  struct Case {
    const char* what;
    void (*change)(ReleaseFacts&);
    ReleaseStep step;
  };
  const Case cases[] = {
      {"as it is", [](ReleaseFacts&) {}, outside},
      {"a pilot", [](ReleaseFacts& f) { f.computer = "ksieg-2"; }, ReleaseStep::Take},
      {"all of them", [](ReleaseFacts& f) { f.file.release.stages[0].percent = 100; f.now = At("2026-12-04 00:00"); },
       ReleaseStep::Take},
      {"before the first stage", [](ReleaseFacts& f) { f.now = At("2026-11-30 00:00"); f.computer = "X"; },
       ReleaseStep::Wait},
      {"no file", [](ReleaseFacts& f) { f.fileFound = false; }, ReleaseStep::Free},
      {"another version", [](ReleaseFacts& f) { f.shareVersion = "1.0.1.5"; }, ReleaseStep::Free},
      {"nothing installed", [](ReleaseFacts& f) { f.installed = false; }, ReleaseStep::Free},
      {"a file not understood", [](ReleaseFacts& f) { f.file = ParseRelease("[WYDANIE]\r\n"); }, ReleaseStep::HeldBack},
      {"markers not read", [](ReleaseFacts& f) { f.failures.reset(); f.computer = "ksieg-2"; }, ReleaseStep::HeldBack},
      {"at the limit", [](ReleaseFacts& f) { f.failures = 3u; f.computer = "ksieg-2"; }, ReleaseStep::Halted},
      {"halted by hand", [](ReleaseFacts& f) { f.file.release.halted = true; f.computer = "ksieg-2"; },
       ReleaseStep::Halted},
      {"has it", [](ReleaseFacts& f) { f.installedVersion = "1.0.1.4"; }, ReleaseStep::Free},
      {"has it, halted", [](ReleaseFacts& f) { f.installedVersion = "1.0.1.4"; f.failures = 3u; },
       ReleaseStep::RollBack},
      {"has it, halted, no roll-back",
       [](ReleaseFacts& f) { f.installedVersion = "1.0.1.4"; f.failures = 9u; f.file.release.rollBack = false; },
       ReleaseStep::Free},
  };
  for (const Case& c : cases) {
    ReleaseFacts facts = base;
    c.change(facts);
    const ReleaseDecision decision = DecideRelease(facts);
    EXPECT_EQ(decision.step, c.step) << c.what;
    if (decision.step != ReleaseStep::Free) {
      EXPECT_EQ(ReleaseStepOfLine(ReleaseReportLine(decision)), decision.step) << ReleaseReportLine(decision);
    }
  }
}

TEST(CountFailureMarkers, OneForEachComputerOfTheVersion) {
  EXPECT_EQ(FailureMarkerName("BIURO-7", "1.0.1.4"), "BIURO-7@1.0.1.4.nieudany");
  EXPECT_EQ(CountFailureMarkers({"BIURO-7@1.0.1.4.NIEUDANY", "KADRY@1.0.1.4.nieudany",
                                 "KADRY@1.0.1.3.nieudany", "~KADRY@1.0.1.4.nieudany", "@1.0.1.4.nieudany",
                                 "KSIEG@1.0.1.4.nieudany.tmp", "KSIEG@1.0.1.4.txt", "KADRY.txt"},
                                "1.0.1.4"),
            2u);
  EXPECT_EQ(ExitCodeText(0xC0000135u), "0xC0000135 (brak biblioteki DLL)");
  EXPECT_TRUE(IsFailedStartCode(0xC0000409u));
  EXPECT_FALSE(IsFailedStartCode(0x80000003u));
  EXPECT_FALSE(IsFailedStartCode(1u));
}

}  // namespace
}  // namespace kolvex
