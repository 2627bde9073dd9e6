// The start report as written and read back, and the administrator's summary of many.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "launcher/Update.h"
#include "tools/kolvexadm/Summary.h"

namespace kolvex {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

StartReport Station(std::string computer, std::string version, StartOutcome outcome = StartOutcome::UpToDate,
                    std::string failure = "") {
  StartReport report{.computer = std::move(computer), .time = "2026-12-08 09:00:00", .program = "prog.exe",
                     .outcome = outcome, .files = {{"prog.exe", std::move(version)}}};
  report.failure = std::move(failure);
  if (!report.failure.empty()) report.failureTime = report.time;
  return report;
}

TEST(StartReport, ReadsBackWhatItWroteWhateverTheValues) {
  StartReport report = Station(" KOMPUTER ", "1.0.1.4", StartOutcome::Failed,
                               "Błąd kopiowania pliku: prog.exe\r\r\"Brak miejsca\" na <dysku>.\r\n ");
  report.user = "'jan'";
  report.sharedDir = "\\\\serwer\\udział";
  report.changes = {"prog.dll: 1.0.1.3 → 1.0.1.4"};
  report.missingOnShare = {"pomoc\\prog.hlp;2;Pomoc"};
  report.files.push_back({"raporty\\wydruki=1.dll", ""});
  const std::string text = FormatStartReport(report);
  EXPECT_TRUE(text.starts_with("\xEF\xBB\xBF[KOLVEX]\r\n"));
  StartReport back;
  ASSERT_TRUE(ParseStartReport(text, back));
  report.failure = "Błąd kopiowania pliku: prog.exe\r\r\"Brak miejsca\" na <dysku>.\r ";  // each line break one CR
  EXPECT_EQ(back, report);
  EXPECT_FALSE(ParseStartReport("[KOLVEX]\r\nWYNIK=może\r\n", back));
  EXPECT_FALSE(ParseStartReport("[MAIN]\r\nSHARED_DIR=x\r\n", back));
}

TEST(StartReport, TellsEachFileBroughtInByItsOwnMeasure) {
  const DateTime march = *EncodeDateTime({.year = 2026, .month = 3, .day = 2, .hour = 8});
  StartReport report{.time = "2026-12-08 09:00:00"};
  SetOutcome(report, {.result = UpdateResult::Failed,
                      .updates = {{.name = "pomoc\\prog.hlp", .newDate = march, .compareMode = kCompareByDate},
                                  {.name = "prog.dll", .oldVersion = "brak", .newVersion = "1.0.1.4",
                                   .compareMode = kCompareByVersion}},
                      .failure = "Brak miejsca."});
  EXPECT_THAT(report.changes, ElementsAre("pomoc\\prog.hlp: brak → 2026-03-02 08:00:00", "prog.dll: brak → 1.0.1.4"));
  EXPECT_EQ(report.outcome, StartOutcome::Failed);
  EXPECT_EQ(report.failureTime, report.time);
}

TEST(StartReport, AFailureStaysUntilAStartSucceeds) {
  const StartReport failed = Station("A", "1", StartOutcome::Failed, "Brak miejsca.");
  StartReport offline = Station("A", "1", StartOutcome::SharedDirSilent);
  CarryFailure(failed, offline);
  EXPECT_EQ(offline.failure, "Brak miejsca.");
  StartReport fine = Station("A", "1", StartOutcome::Updated);
  CarryFailure(offline, fine);
  EXPECT_EQ(fine.failure, "");
}

TEST(Summary, VersionsCompareNumberByNumber) {
  EXPECT_GT(CompareVersions("1.0.10.0", "1.0.9.0"), 0);
  EXPECT_EQ(CompareVersions("1.0", "1.0.0.0"), 0);
  EXPECT_LT(CompareVersions("", "0.0.0.1"), 0);
  EXPECT_LT(CompareVersions("1.0.1.3", "1.0.1.3a"), 0);
  EXPECT_EQ(CompareVersions("01.2", "1.02"), 0);
}

TEST(Summary, PutsFailuresFirstThenTheWorkstationsBehind) {
  std::vector<ReportEntry> entries;
  for (const char* name : {"D", "C", "B"}) entries.push_back({std::string(name) + ".txt", Station(name, "1.0.1.10"), {}});
  entries.push_back({"Z.txt", Station("Z", "1.0.1.9"), {}});
  entries.push_back({"A.txt", Station("A", "1.0.1.10", StartOutcome::Failed, "Brak <miejsca>."), {}});
  entries.push_back({"E.txt", Station("E", "1.0.1.9", StartOutcome::SharedDirMissing), {}});
  entries.push_back({"zepsuty.txt", std::nullopt, "to nie jest raport stanowiska"});
  const Summary summary = Summarize(std::move(entries));

  EXPECT_EQ(summary.newestVersion, "1.0.1.10");
  std::vector<std::string> order;
  for (const StartReport& report : summary.all) order.push_back(report.computer);
  EXPECT_THAT(order, ElementsAre("A", "E", "Z", "B", "C", "D"));
  ASSERT_EQ(summary.versions.size(), 2u);
  EXPECT_EQ(summary.versions[0].workstations, 4u);
  EXPECT_EQ(summary.behind.size(), 2u);
  EXPECT_EQ(summary.unreadable.size(), 1u);

  const std::string page = SummaryPage(summary, "\\\\serwer\\raporty", "2026-12-08 10:00:00");
  EXPECT_THAT(page, HasSubstr("Brak &lt;miejsca&gt;."));
  EXPECT_THAT(page, Not(HasSubstr("<miejsca>")));
  EXPECT_THAT(page, HasSubstr("zepsuty.txt"));
  EXPECT_THAT(SummaryCsv(summary), HasSubstr("\"A\";\"\";\"2026-12-08 09:00:00\";\"1.0.1.10\";\"błąd\""));
}

}  // namespace
}  // namespace kolvex
