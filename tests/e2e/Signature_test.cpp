// Signed updates: which signers SIGNED_BY lets in, and a refused program left
// as it was, started, and named in the start report.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/Text.h"
#include "e2e/UpdateSupport.h"
#include "launcher/StartReport_win32.h"

namespace kolvex::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string Thumbprint(const std::string& signer) {
  return std::string(Trim(ReadFileBytes(BinDir() + "\\signed\\" + signer + ".sha1")));
}

struct Case {
  const char* name;
  std::string signedBy, installed, shared;  // fixtures in bin/
  std::string refusal;                      // empty: the shared program is installed
};

TEST(SignedUpdates, TheSignersDecideWhatIsInstalledAndARefusedProgramStartsAsItWas) {
  // Thumbprints as Windows shows them: lower case with spaces, the renewal after a comma.
  std::string pinned = Thumbprint("p1") + ", " + Thumbprint("p2");
  for (char& c : pinned) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  pinned.insert(2, " ");
  const std::string other = "inny wydawca: CN=Kolvex Test Wydawca, O=Kolvex Test, C=PL, " + Thumbprint("p3");
  const Case cases[] = {
      {"pinned", pinned, "target_v1013", "signed\\v1014_p1", ""},
      {"pinned renewal", pinned, "target_v1013", "signed\\v1014_p2", ""},
      {"same subject, not pinned", pinned, "target_v1013", "signed\\v1014_p3", other},
      {"unsigned", pinned, "target_v1013", "target_v1014", "brak podpisu"},
      {"changed after signing", pinned, "target_v1013", "signed\\v1014_p1_changed", "podpis nieprawidłowy"},
      {"same publisher", "SAME_AS_INSTALLED", "signed\\v1013_p1", "signed\\v1014_p2", ""},
      {"same subject, other issuer", "same_as_installed", "signed\\v1013_p1", "signed\\v1014_p3", other},
  };
  // Each case an installation of its own, all started at once.
  std::vector<std::unique_ptr<Installation>> apps;
  std::vector<std::unique_ptr<Process>> launchers;
  for (const Case& c : cases) {
    const Installation& app = *apps.emplace_back(std::make_unique<Installation>());
    const std::string shared = app / "SHARED", reports = app / "raporty";
    MakeDir(shared);
    MakeDir(reports);
    WriteFileBytes(app / "prog.exe", FixtureBytes(c.installed));
    WriteFileBytes(shared + "\\prog.exe", FixtureBytes(c.shared));
    // No Windows program: taken as it always was.
    WriteFileBytes(app / "prog.hlp", "pomoc");
    SetLocalWriteTime(app / "prog.hlp", Local(2026, 1, 1));
    WriteFileBytes(shared + "\\prog.hlp", "nowa pomoc");
    WriteFileBytes(app / "baza.set", "[MAIN]\r\nSIGNED_BY=" + c.signedBy + "\r\nREPORT_DIR=" + reports +
                                         "\r\n[SKLADNIKI]\r\npomoc=prog.hlp,2\r\n");
    launchers.push_back(app.StartLauncher(" prog.exe /x"));
  }
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const Installation& app = *apps[i];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(launchers[i]->Wait(30000).exitCode, 0u);
    EXPECT_NE(app.WaitForTargetRecord(app.dir()).find("\"/x\""), std::string::npos);
    EXPECT_EQ(ReadFileBytes(app / "prog.exe"), FixtureBytes(c.refusal.empty() ? c.shared : c.installed));
    EXPECT_EQ(ReadFileBytes(app / "prog.hlp"), "nowa pomoc");
    EXPECT_EQ(LogTails(ReadUpdateLog(app.dir())).size(), c.refusal.empty() ? 2u : 1u);
    StartReport report;
    ASSERT_TRUE(ParseStartReport(ReadFileBytes(app / "raporty\\" + StartReportFileName(ComputerName())), report));
    if (c.refusal.empty()) EXPECT_THAT(report.refused, IsEmpty());
    else EXPECT_THAT(report.refused, ElementsAre("prog.exe: " + c.refusal));
  }
}

}  // namespace
}  // namespace kolvex::test
