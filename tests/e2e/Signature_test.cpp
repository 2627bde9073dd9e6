// SIGNED_BY's signers let in; a refused program is left as it was, started, and reported.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "common/Text.h"
#include "e2e/UpdateSupport.h"
#include "update/StartReport_win32.h"

namespace kolvex::test {
namespace {

TEST(SignedUpdates, TheSignersDecideWhatIsInstalledAndARefusedProgramStartsAsItWas) {
  const auto thumbprint = [](const std::string& signer, const std::string& hash = "sha1") {
    return std::string(Trim(ReadFileBytes(BinDir() + "\\signed\\" + signer + "." + hash)));
  };
  const std::string pinned = thumbprint("p1") + "," + thumbprint("p2");  // the second a renewal
  const std::string other = "inny wydawca: CN=Kolvex Test Wydawca, O=Kolvex Test, C=PL, " + thumbprint("p3");
  struct Case {
    std::string signedBy, installed, shared, refusal;  // fixtures in bin/; no refusal: installed
  } const cases[] = {
      {pinned, "target_v1013", "signed\\v1014_p1", ""},
      {pinned, "target_v1013", "signed\\v1014_p2", ""},
      {pinned, "target_v1013", "signed\\v1014_p3", other},  // the same subject, not pinned
      {thumbprint("p3", "sha256"), "target_v1013", "signed\\v1014_p3", ""},
      {pinned, "target_v1013", "target_v1014", "brak podpisu"},
      {pinned, "target_v1013", "signed\\v1014_p1_changed", "podpis nieprawidłowy"},
      {"SAME_AS_INSTALLED", "signed\\v1013_p1", "signed\\v1014_p2", ""},
      {"SAME_AS_INSTALLED", "signed\\v1013_p1", "signed\\v1014_p3", other},  // another issuer
  };
  // Each case an installation of its own, all started at once.
  std::vector<std::unique_ptr<Installation>> apps;
  std::vector<std::unique_ptr<Process>> launchers;
  for (const Case& c : cases) {
    const Installation& app = *apps.emplace_back(std::make_unique<Installation>());
    MakeDir(app / "SHARED");
    MakeDir(app / "raporty");
    WriteFileBytes(app / "prog.exe", FixtureBytes(c.installed));
    WriteFileBytes(app / "prog.exeOLD", "starsza kopia");
    WriteFileBytes(app / "SHARED\\prog.exe", FixtureBytes(c.shared));
    SetLocalWriteTime(app / "SHARED\\prog.exe", Local(2026, 2, 1));
    WriteFileBytes(app / "prog.hlp", "pomoc");  // no Windows program: taken as always
    SetLocalWriteTime(app / "prog.hlp", Local(2026, 1, 1));
    WriteFileBytes(app / "SHARED\\prog.hlp", "nowa pomoc");
    WriteFileBytes(app / "baza.set", "[MAIN]\r\nSIGNED_BY=" + c.signedBy + "\r\nREPORT_DIR=" + app / "raporty" +
                                         "\r\n[SKLADNIKI]\r\npomoc=prog.hlp,2\r\n");
    launchers.push_back(app.StartLauncher(" prog.exe /x"));
  }
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const Installation& app = *apps[i];
    SCOPED_TRACE(c.shared + " under " + c.signedBy);
    EXPECT_EQ(launchers[i]->Wait(30000).exitCode, 0u);
    EXPECT_NE(app.WaitForTargetRecord(app.dir()).find("\"/x\""), std::string::npos);
    EXPECT_EQ(ReadFileBytes(app / "prog.exe"), FixtureBytes(c.refusal.empty() ? c.shared : c.installed));
    EXPECT_EQ(ReadFileBytes(app / "prog.exeOLD"), c.refusal.empty() ? FixtureBytes(c.installed) : "starsza kopia");
    EXPECT_EQ(ReadFileBytes(app / "prog.hlp"), "nowa pomoc");
    EXPECT_EQ(LogTails(ReadUpdateLog(app.dir())).size(), c.refusal.empty() ? 2u : 1u);
    StartReport report;
    ASSERT_TRUE(ParseStartReport(ReadFileBytes(app / "raporty\\" + StartReportFileName(ComputerName())), report));
    EXPECT_EQ(report.refused, c.refusal.empty() ? std::vector<std::string>{} : std::vector{"prog.exe: " + c.refusal});
    EXPECT_EQ(ReportedOutcomeText(report), c.refusal.empty() ? "zaktualizowany" : "odrzucony za podpis");
  }

  // Remembered: made good with the same size, date and version, it is not copied until its date changes.
  const Installation& app = *apps.at(static_cast<size_t>(
      std::ranges::find(cases, std::string("signed\\v1014_p1_changed"), &Case::shared) - std::begin(cases)));
  const auto start = [&] {
    EXPECT_EQ(app.RunLauncher(" prog.exe").exitCode, 0u);
    StartReport report;
    EXPECT_TRUE(ParseStartReport(ReadFileBytes(app / "raporty\\" + StartReportFileName(ComputerName())), report));
    return report.refused;
  };
  WriteFileBytes(app / "SHARED\\prog.exe", FixtureBytes("signed\\v1014_p1"));
  SetLocalWriteTime(app / "SHARED\\prog.exe", Local(2026, 2, 1));
  EXPECT_THAT(start(), ::testing::ElementsAre("prog.exe: podpis nieprawidłowy"));
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), FixtureBytes("target_v1013"));
  SetLocalWriteTime(app / "SHARED\\prog.exe", Local(2026, 2, 2));
  EXPECT_THAT(start(), ::testing::IsEmpty());
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), FixtureBytes("signed\\v1014_p1"));
}

}  // namespace
}  // namespace kolvex::test
