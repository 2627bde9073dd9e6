// The start report as written and read back, and the administrator's summary of many.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "update/Update.h"
#include "tools/kolvexadm/ReportCache.h"
#include "tools/kolvexadm/Summary.h"

namespace kolvex {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

StartReport Station(std::string computer, std::string version, UpdateResult outcome = UpdateResult::NothingToDo,
                    std::string failure = "") {
  StartReport report{.computer = std::move(computer), .time = "2026-12-08 09:00:00", .program = "prog.exe",
                     .outcome = outcome, .files = {{"prog.exe", std::move(version)}}};
  report.failure = std::move(failure);
  if (!report.failure.empty()) report.failureTime = report.time;
  return report;
}

TEST(StartReport, ReadsBackWhatItWroteWhateverTheValues) {
  StartReport report = Station(" KOMPUTER ", "1.0.1.4", UpdateResult::Failed,
                               "Błąd kopiowania pliku: prog.exe\r\r\"Brak miejsca\" na <dysku>.\r\n ");
  report.user = "'jan'";
  report.sharedDir = "\\\\serwer\\udział";
  report.changes = {"prog.dll: 1.0.1.3 → 1.0.1.4"};
  report.missingOnShare = {"pomoc\\prog.hlp;2;Pomoc"};
  report.waiting = {"pomoc\\prog.chm"};
  report.reason = "Odmowa dostępu.";
  report.refused = {"prog.exe: inny wydawca: CN=Firma, O=\"Firma\", C=PL, 129BE005"};
  report.files.push_back({"raporty\\wydruki=1.dll", ""});
  report.shareSight = ShareSight::Seen;
  report.sharedFiles = {{"prog.exe", "1.0.1.5"}, {"raporty\\wydruki=1.dll", "brak"}};
  const std::string text = FormatStartReport(report);
  EXPECT_TRUE(text.starts_with("\xEF\xBB\xBF[KOLVEX]\r\n"));
  StartReport back;
  ASSERT_TRUE(ParseStartReport(text, back));
  report.failure = "Błąd kopiowania pliku: prog.exe\r\r\"Brak miejsca\" na <dysku>.\r ";  // each line break one CR
  EXPECT_EQ(back, report);
  // Nothing brought in but a file refused: the outcome says the refusal, and reads back.
  report.outcome = UpdateResult::NothingToDo;
  report.failure = report.failureTime = "";
  report.changes.clear();
  report.notStarted = "Nie można odnaleźć określonego pliku.";
  EXPECT_THAT(FormatStartReport(report), HasSubstr("\r\nWYNIK=odrzucony za podpis\r\n"));
  ASSERT_TRUE(ParseStartReport(FormatStartReport(report), back));
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
                      .refused = {{"prog.exe", "brak podpisu"}},
                      .waiting = {"pomoc\\prog.chm"},
                      .failure = "Brak miejsca."});
  EXPECT_THAT(report.refused, ElementsAre("prog.exe: brak podpisu"));
  EXPECT_THAT(report.waiting, ElementsAre("pomoc\\prog.chm"));
  EXPECT_THAT(report.changes, ElementsAre("pomoc\\prog.hlp: brak → 2026-03-02 08:00:00", "prog.dll: brak → 1.0.1.4"));
  EXPECT_EQ(report.outcome, UpdateResult::Failed);
  EXPECT_EQ(report.failureTime, report.time);
}

TEST(StartReport, AFailureStaysUntilAStartSucceeds) {
  const StartReport failed = Station("A", "1", UpdateResult::Failed, "Brak miejsca.");
  StartReport offline = Station("A", "1", UpdateResult::ShareNotAnswering);
  CarryFailure(failed, offline);
  EXPECT_EQ(offline.failure, "Brak miejsca.");
  StartReport fine = Station("A", "1", UpdateResult::Updated);
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

// The fields of each line of a CSV text as a spreadsheet reads them: ";"
// between fields; a field in quotes may hold ";", line breaks and doubled
// quotes. The byte-order mark and the header line are left out.
std::vector<std::vector<std::string>> ReadCsv(std::string_view text) {
  std::vector<std::vector<std::string>> rows{{""}};
  bool quoted = false;
  for (size_t i = text.find("\r\n") + 2; i < text.size(); ++i) {
    if (quoted && text.substr(i, 2) == "\"\"") {
      rows.back().back() += '"';
      ++i;
    } else if (text[i] == '"') {
      quoted = !quoted;
    } else if (!quoted && text[i] == ';') {
      rows.back().emplace_back();
    } else if (!quoted && text.substr(i, 2) == "\r\n") {
      rows.push_back({""});
      ++i;
    } else {
      rows.back().back() += text[i];
    }
  }
  rows.pop_back();  // what follows the last line's CR LF
  return rows;
}

TEST(Summary, PutsFailuresFirstThenTheWorkstationsBehind) {
  std::vector<ReportEntry> entries;
  for (const char* name : {"D", "C", "B"}) entries.push_back({std::string(name) + ".txt", Station(name, "1.0.1.10"), {}});
  entries.push_back({"Z.txt", Station("Z", "1.0.1.9"), {}});
  entries.back().report->shareSight = ShareSight::Seen;
  entries.back().report->sharedFiles = {{"prog.exe", "1.0.1.10"}};
  entries.push_back({"A.txt", Station("A", "1.0.1.10", UpdateResult::Failed, "Brak \"miejsca\"; & <dysku>."), {}});
  entries.push_back({"E.txt", Station("E", "1.0.1.9", UpdateResult::ShareNotFound), {}});
  entries.push_back({"F.txt", Station("F", "1.0.1.10", UpdateResult::ShareNotAnswering), {}});
  entries.push_back({"R.txt", Station("R", "1.0.1.10"), {}});
  entries.back().report->refused = {"prog.exe: brak podpisu"};
  entries.back().report->waiting = {"prog.chm"};
  entries.push_back({"S.txt", Station("S", "1.0.1.10"), {}});
  entries.back().report->notStarted = "Nie można odnaleźć określonego pliku.";
  entries.push_back({"zepsuty.txt", std::nullopt, "to nie jest raport stanowiska"});
  const Summary summary = Summarize(std::move(entries));

  std::vector<std::string> order;
  for (const StartReport& report : summary.all) order.push_back(report.computer);
  EXPECT_THAT(order, ElementsAre("A", "E", "F", "R", "S", "Z", "B", "C", "D"));
  EXPECT_EQ(summary.failures.size(), 5u) << "a failure, two without the share, a file refused, one not started";
  ASSERT_EQ(summary.versions.size(), 2u);
  EXPECT_EQ(summary.versions[0].workstations, 7u);
  EXPECT_EQ(summary.unreadable.size(), 1u);

  const std::string page = SummaryPage(summary, "\\\\serwer\\raporty", "2026-12-08 10:00:00");
  EXPECT_THAT(page, HasSubstr("Brak &quot;miejsca&quot;; &amp; &lt;dysku&gt;."));
  EXPECT_THAT(page, Not(HasSubstr("<dysku>")));
  EXPECT_THAT(page, HasSubstr("zepsuty.txt"));
  EXPECT_THAT(page, HasSubstr("odrzucony za podpis<br>nie zainstalowano prog.exe: brak podpisu<br>czeka prog.chm: plik"));
  EXPECT_THAT(page, HasSubstr("aktualny<br>program nie został uruchomiony: Nie można odnaleźć określonego pliku."));
  const std::vector<std::vector<std::string>> csv = ReadCsv(SummaryCsv(summary));
  ASSERT_EQ(csv.size(), 9u);
  EXPECT_THAT(csv[0], ElementsAre("A", "", "2026-12-08 09:00:00", "1.0.1.10", "błąd", "2026-12-08 09:00:00",
                                  "Brak \"miejsca\"; & <dysku>.", "", "", "wersja w katalogu wspólnym nieznana", "", ""));
}

// Against the newest offer seen on a UNC share (a roll-back since), elsewhere
// against what its own start saw (a letter may be another folder on each computer).
TEST(Summary, MeasuresEachWorkstationAgainstItsShare) {
  const auto seen = [](std::string computer, std::string time, std::string share, std::vector<ReportedFile> installed,
                       std::vector<ReportedFile> offered) {
    StartReport report = Station(std::move(computer), "");
    report.time = std::move(time);
    report.sharedDir = std::move(share);
    report.files = std::move(installed);
    report.shareSight = offered.empty() ? ShareSight::NotSeen : ShareSight::Seen;
    report.sharedFiles = std::move(offered);
    return ReportEntry{report.computer + ".txt", report, {}};
  };
  const std::string unc = "\\\\srv\\prog", local = "C:\\Prog\\SHARED";
  const ReportedFile help{"prog.hlp", "2026-03-02 08:00:00"}, olderHelp{"prog.hlp", "2026-03-01 08:00:00"};
  std::vector<ReportEntry> entries{
      seen("WYCOFANY", "2026-12-08 10:00:00", unc, {{"prog.exe", "1.0.0.1"}, help}, {{"prog.exe", "1.0.0.1"}, help}),
      seen("PRZED", "2026-12-08 09:00:00", unc + "\\", {{"prog.exe", "1.0.0.2"}, help}, {{"prog.exe", "1.0.0.2"}, help}),
      seen("POMOC", "2026-12-08 09:30:00", "\\\\SRV\\Prog", {{"prog.exe", "1.0.0.1"}, olderHelp},
           {{"prog.exe", "1.0.0.2"}, {"prog.hlp", "brak"}}),
      seen("DALEKO", "2026-12-08 11:00:00", unc, {{"prog.exe", "1.0.0.1"}}, {}),
      seen("L-STARY", "2026-12-08 12:00:00", local, {{"prog.exe", "1.0.0.1"}}, {{"prog.exe", "1.0.0.3"}}),
      seen("L-NOWY", "2026-12-08 08:00:00", local, {{"prog.exe", "1.0.0.1"}}, {{"prog.exe", "1.0.0.0"}}),
      {"DAWNY.txt", Station("DAWNY", "1.0.0.1"), {}}};
  entries.back().report->sharedDir = unc;
  const Summary summary = Summarize(std::move(entries));
  std::map<std::string, std::string> standing;
  for (size_t i = 0; i < summary.all.size(); ++i)
    standing[summary.all[i].computer] = StandingText(summary.standing[i]);
  const std::string behind = "starsza niż w katalogu wspólnym", ahead = "nowsza niż w katalogu wspólnym";
  EXPECT_EQ(standing, (std::map<std::string, std::string>{
                          {"DALEKO", "katalog wspólny nieodczytany"}, {"DAWNY", "wersja w katalogu wspólnym nieznana"},
                          {"L-NOWY", ahead}, {"L-STARY", behind}, {"POMOC", behind}, {"PRZED", ahead},
                          {"WYCOFANY", "zgodna z katalogiem wspólnym"}}));
  ASSERT_EQ(summary.shares.size(), 2u);
  EXPECT_EQ(summary.shares[0].offered, "1.0.0.1");
  EXPECT_EQ(summary.shares[0].places.size(), 5u);
  EXPECT_EQ(summary.shares[1].offered, "1.0.0.3") << "the newest start's";
  EXPECT_EQ(summary.behind.size(), 2u);
  EXPECT_THAT(SummaryPage(summary, "r", "t"),
              HasSubstr("<h2>Katalog wspólny \\\\srv\\prog</h2>\n<p>Wersja programu w katalogu wspólnym: 1.0.0.1<br>"
                        "zgodna z katalogiem wspólnym: <b>1</b>, starsza niż w katalogu wspólnym: <b>1</b>, nowsza"));
  EXPECT_THAT(ReadCsv(SummaryCsv(summary))[0],
              ElementsAre("L-STARY", "", "2026-12-08 12:00:00", "1.0.0.1", "aktualny", "", "", local, "1.0.0.3",
                          "starsza niż w katalogu wspólnym", "", ""));
}

TEST(Summary, TheReleaseInStagesAsTheReportsTellIt) {
  std::vector<ReportEntry> entries;
  const auto add = [&](std::string computer, std::string version, std::string release, std::string time) {
    StartReport report = Station(computer, std::move(version));
    report.release = std::move(release);
    report.time = std::move(time);
    entries.push_back({computer + ".txt", std::move(report), {}});
  };
  add("A", "1.0.1.4", "1.0.1.4: przyjęte (pilotaż, etap 10 %)", "2026-12-08 09:00:00");
  add("B", "1.0.1.3", "1.0.1.4: czeka na swój etap (koszyk 57, etap 50 %)", "2026-12-09 09:00:00");
  add("C", "1.0.1.3", "1.0.1.4: wstrzymane po nieudanych startach (nieudanych startów: 2)", "2026-12-09 10:00:00");
  add("D", "1.0.1.3", "", "2026-12-09 10:00:00");
  entries[0].report->failedStarts = {"1.0.1.4: 0xC0000135 (brak biblioteki DLL)", "1.0.1.2: 0xC0000005 (x)"};
  const Summary summary = Summarize(std::move(entries));
  ASSERT_EQ(summary.releases.size(), 1u);
  const ReleaseTally& release = summary.releases[0];
  EXPECT_EQ(release.version, "1.0.1.4");
  EXPECT_EQ(release.stage, "etap 50 %") << "the newest start's";
  EXPECT_EQ(release.have, 1u);
  EXPECT_EQ(release.waiting, 1u);
  EXPECT_EQ(release.halted, 1u);
  EXPECT_EQ(release.why, "wstrzymane po nieudanych startach (nieudanych startów: 2)");
  EXPECT_THAT(release.failedStarts, ElementsAre("A: 0xC0000135 (brak biblioteki DLL)"));
  const std::string page = SummaryPage(summary, "r", "t");
  EXPECT_THAT(page, HasSubstr("<h2>Wydanie</h2>"));
  EXPECT_THAT(page, HasSubstr("<td>1<br>A: 0xC0000135 (brak biblioteki DLL)</td>"));
  EXPECT_THAT(SummaryCsv(summary), HasSubstr(";\"1.0.1.4: czeka na swój etap (koszyk 57, etap 50 %)\";\"\"\r\n"));
}

TEST(Summary, CsvCellsOfAForgedReportStartNoFormula) {
  // A report of the older form says nothing of the share: none behind.
  StartReport forged = Station("=HYPERLINK(\"http://x\")", "-1+2", UpdateResult::Failed, "@SUM(A1)");
  forged.user = "+48 600";
  forged.time = "\t=1";
  EXPECT_THAT(SummaryCsv(Summarize({{"F.txt", forged, {}}})),
              HasSubstr("\"'=HYPERLINK(\"\"http://x\"\")\";\"'+48 600\";\"'\t=1\";\"'-1+2\";\"błąd\";"
                        "\"2026-12-08 09:00:00\";\"'@SUM(A1)\";"));
}

TEST(ReportCache, KeepsReportsByteForByteButNotTheLastTwoSecondsNorADamagedFile) {
  constexpr uint64_t kSecond = 10'000'000;
  const std::vector<KnownReport> reports = {
      {{"A.txt", 10, 100 * kSecond}, "\xEF\xBB\xBF" "1\n2 3\r\n"},
      {{"B C.txt", 0, 198 * kSecond}, ""},
      {{"RECENT.txt", 1, 199 * kSecond}, "x"},   // within two seconds of the newest change
      {{"GREW.txt", 1, 100 * kSecond}, "xy"}};  // not the size listed
  const std::string cache = FormatReportCache(reports, 200 * kSecond);
  const std::vector<KnownReport> back = ParseReportCache(cache);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].listed, reports[0].listed);
  EXPECT_EQ(back[0].bytes, reports[0].bytes);
  EXPECT_EQ(back[1].listed, reports[1].listed);
  const KnownReport farFuture{{"F.txt", 1, UINT64_MAX - 2 * kSecond}, "f"};  // any time the listing gives
  EXPECT_EQ(ParseReportCache(FormatReportCache({farFuture}, UINT64_MAX)).at(0).listed, farFuture.listed);
  EXPECT_TRUE(ParseReportCache(FormatReportCache(reports, kSecond)).empty());  // nothing kept, and no wrap-around

  for (const std::string& damaged : std::vector<std::string>{cache.substr(0, cache.size() - 1), cache.substr(0, cache.size() - 3),
                                     "KOLVEXADM 2\n", "KOLVEXADM 1\n9 1 A.txt\nshort\n", "KOLVEXADM 1\n-1 1 A\n\n",
                                     "KOLVEXADM 1\n0 1 \n\n", "KOLVEXADM 1\n0 A.txt\n\n"})
    EXPECT_TRUE(ParseReportCache(damaged).empty()) << damaged;
}

}  // namespace
}  // namespace kolvex
