// A release in stages as workstations meet it: who takes the share's
// program, who keeps the installed one, and what a failed first start leaves.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/Integers.h"
#include "common/win32/Utf.h"
#include "e2e/UpdateSupport.h"
#include "support/Robot.h"
#include "update/Release.h"
#include "update/StartReport.h"
#include "update/StartReport_win32.h"

namespace kolvex::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const std::string kHead = "[WYDANIE]\r\nWERSJA=1.0.1.4\r\nLIMIT_BLEDOW=2\r\n";

struct ReleaseScene {
  ReleaseScene() {
    MakeDir(shared);
    MakeDir(reports);
    WriteFileBytes(app / "prog.exe", FixtureBytes("target_v1013"));
    WriteFileBytes(app / "baza.set",
                   "[MAIN]\r\nREPORT_DIR=" + reports + "\r\n[SKLADNIKI]\r\npomoc=prog.hlp,2\r\n");
    WriteFileBytes(shared + "\\prog.hlp", "pomoc");
  }
  // The installed program, once the one started last has ended.
  void Install(const std::string& fixture) const {
    EXPECT_TRUE(WriteOnceReleased(app / "prog.exe", FixtureBytes(fixture)));
  }
  StartReport Report() const { return ThisComputersReport(reports); }
  Installation app;
  std::string shared = app / "SHARED", reports = app / "raporty";
  const std::string computer = ComputerName();
  const int bucket = ReleaseBucket(computer, "1.0.1.4");
};

TEST(ReleaseInStages, EachStartTakesTheShareProgramOnlyWhenItsStageLetsItIn) {
  const ReleaseScene s;
  const std::string past = "ETAP=2020-01-01 08:00, ", future = "ETAP=2099-01-01 08:00, 100\r\n";
  struct Case {
    std::string what, file;
    int otherMarkers;
    ReleaseStep step;  // Free: taken as always
  };
  const Case cases[] = {
      {"a pilot", kHead + "PILOT=X*, " + s.computer.substr(0, 2) + "*\r\n", 0, ReleaseStep::Take},
      {"outside the stage", kHead + past + FormatInteger(s.bucket) + "\r\n" + future, 0, ReleaseStep::Wait},
      {"a stage opened in the past", kHead + future + past + FormatInteger(s.bucket + 1) + "\r\n", 0,
       ReleaseStep::Take},
      {"another version governed", "[WYDANIE]\r\nWERSJA=1.0.1.5\r\nLIMIT_BLEDOW=2\r\n", 0, ReleaseStep::Free},
      {"at the limit", kHead + "PILOT=" + s.computer + "\r\n" + past + "100\r\n", 2, ReleaseStep::Halted},
      {"below the limit", kHead + past + "100\r\n", 1, ReleaseStep::Take},
      {"halted by hand", kHead + past + "100\r\nWSTRZYMANE=tak\r\n", 0, ReleaseStep::Halted},
      {"not understood", kHead + past + "100 procent\r\n", 0, ReleaseStep::HeldBack},
      {"not readable", "", 0, ReleaseStep::HeldBack},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    s.Install("target_v1013");
    DeleteFileW(Widen(s.app / "prog.hlp").c_str());
    WriteFileBytes(s.shared + "\\prog.exe", FixtureBytes("target_v1014"));
    const std::string file = s.shared + "\\wydanie.set";
    RemoveDirectoryW(Widen(file).c_str());
    DeleteFileW(Widen(file).c_str());
    c.file.empty() ? MakeDir(file) : WriteFileBytes(file, c.file);
    for (const std::string& name : ListDir(s.reports)) DeleteFileW(Widen(s.reports + "\\" + name).c_str());
    for (int i = 0; i < c.otherMarkers; ++i)
      WriteFileBytes(s.reports + "\\" + FailureMarkerName("INNY-" + FormatInteger(i), "1.0.1.4"), "");
    const int starts = TargetStarts(s.app);
    EXPECT_EQ(s.app.RunLauncher(" prog.exe").exitCode, 0u);
    EXPECT_TRUE(WaitUntil([&] { return TargetStarts(s.app) == starts + 1; }, 15000));
    const bool takes = c.step == ReleaseStep::Take || c.step == ReleaseStep::Free;
    EXPECT_EQ(ReadFileBytes(s.app / "prog.exe"), FixtureBytes(takes ? "target_v1014" : "target_v1013"));
    EXPECT_EQ(GetFileAttributesW(Widen(s.app / "prog.hlp").c_str()) != INVALID_FILE_ATTRIBUTES, takes)
        << "the listed files follow the program";
    const std::string line = s.Report().release;
    EXPECT_EQ(ReleaseStepOfLine(line), c.step == ReleaseStep::Free ? std::nullopt : std::optional(c.step)) << line;
  }
}

// Halted with roll-back in the per-user way: the start keeps what it has
// and says that only the update service goes back (service_test.sh).
TEST(ReleaseInStages, HaltedWithRollBackAStartWithoutTheServiceKeepsWhatItHas) {
  const ReleaseScene s;
  const std::string file = s.shared + "\\wydanie.set", pilot = kHead + "WYCOFANIE=tak\r\nPILOT=" + s.computer + "\r\n";
  WriteFileBytes(s.shared + "\\prog.exe", FixtureBytes("target_v1014"));
  WriteFileBytes(file, pilot);
  EXPECT_EQ(s.app.RunLauncher(" prog.exe").exitCode, 0u);
  EXPECT_TRUE(WaitUntil([&] { return TargetStarts(s.app) == 1; }, 15000));
  WriteFileBytes(file, pilot + "WSTRZYMANE=tak\r\n");
  EXPECT_EQ(s.app.RunLauncher(" prog.exe").exitCode, 0u);
  EXPECT_TRUE(WaitUntil([&] { return TargetStarts(s.app) == 2; }, 15000));
  EXPECT_EQ(ReadFileBytes(s.app / "prog.exe"), FixtureBytes("target_v1014"));
  EXPECT_THAT(s.Report().release,
              StartsWith("1.0.1.4: wstrzymane przez administratora; wycofuje tylko usługa"));
}

}  // namespace
}  // namespace kolvex::test
