// The start report in REPORT_DIR as each kind of start leaves it, and a
// report folder that cannot take it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/win32/Utf.h"
#include "e2e/UpdateSupport.h"
#include "files/FileVer_win32.h"
#include "update/StartReport_win32.h"
#include "support/Robot.h"

namespace kolvex::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

struct ReportScene {
  ReportScene() {
    MakeDir(shared);
    MakeDir(reports);
    WriteFileBytes(app / "prog.exe", v1013);
    WriteFileBytes(shared + "\\prog.exe", v1014);
  }
  // A help file is listed that the share does not hold.
  void Settings(const std::string& reportDir) const {
    WriteFileBytes(app / "baza.set", "[MAIN]\r\nREPORT_DIR=" + reportDir + "\r\n[SKLADNIKI]\r\npomoc=prog.hlp,2\r\n");
  }
  // 1.0.1.3 installed again, once the program started last has ended.
  void Reinstall() const {
    EXPECT_TRUE(WriteOnceReleased(app / "prog.exe", v1013));
  }
  StartReport Report() const { return ThisComputersReport(reports); }
  Installation app;
  std::string shared = app / "SHARED", reports = app / "raporty";
  const std::string v1013 = FixtureBytes("target_v1013"), v1014 = FixtureBytes("target_v1014");
};

TEST(StartReport, EachStartLeavesItsOutcomeAndAFailureStaysUntilAStartSucceeds) {
  const ReportScene scene;
  scene.Settings(scene.reports);
  EXPECT_EQ(scene.app.RunLauncher(" prog.exe").exitCode, 0u);
  StartReport report = scene.Report();
  EXPECT_EQ(report.outcome, UpdateResult::Updated);
  EXPECT_THAT(report.changes, ElementsAre("prog.exe: 1.0.1.3 → 1.0.1.4"));
  EXPECT_THAT(report.files, ElementsAre(ReportedFile{"prog.exe", "1.0.1.4"}, ReportedFile{"prog.hlp", "brak"}));
  EXPECT_THAT(report.missingOnShare, ElementsAre("prog.hlp"));
  EXPECT_EQ(report.shareSight, ShareSight::Seen);
  EXPECT_THAT(report.sharedFiles, ElementsAre(ReportedFile{"prog.exe", "1.0.1.4"}, ReportedFile{"prog.hlp", "brak"}));
  EXPECT_EQ(report.installation, scene.app.dir());
  EXPECT_NE(report.user, "");
  const std::string launcherVersion = GetFileVersionString(scene.app / "Kolvex.exe", "FileVersion");
  EXPECT_NE(launcherVersion, "");
  EXPECT_EQ(report.launcherVersion, launcherVersion);

  // A reader holds the report without letting it be replaced, for a moment after the hand-off.
  {
    ForeignLock reader(scene.reports + "\\" + StartReportFileName(ComputerName()));
    const auto launcher = scene.app.StartLauncher(" prog.exe");
    EXPECT_TRUE(WaitUntil([&] { return TargetStarts(scene.app) == 2; }, 15000));
    Sleep(300);
    reader.Release();
    EXPECT_EQ(launcher->Wait(10000).exitCode, 0u);
  }
  EXPECT_EQ(scene.Report().outcome, UpdateResult::NothingToDo);
  EXPECT_THAT(scene.Report().changes, IsEmpty());

  // The installed program held open by a program that lets nobody rename it.
  scene.Reinstall();
  {
    ForeignLock lock(scene.app / "prog.exe");
    const auto launcher = scene.app.StartLauncher(" prog.exe");
    for (const char* title : {"Błąd", "Application Error"}) {
      const HWND window = WaitForWindow({.title = title, .processId = launcher->id()}, 20000);
      ASSERT_TRUE(window) << title;
      EXPECT_EQ(PressButton(window, "OK"), PressResult::Pressed);
    }
    EXPECT_EQ(launcher->Wait(10000).exitCode, 1u);
  }
  report = scene.Report();
  EXPECT_EQ(report.outcome, UpdateResult::Failed);
  EXPECT_THAT(report.failure, StartsWith("Błąd kopiowania pliku: prog.exe\r\r"));
  EXPECT_EQ(report.failureTime, report.time);

  // Without the share the failure stays; the next start that succeeds clears it.
  MoveFileW(Widen(scene.shared).c_str(), Widen(scene.shared + "-off").c_str());
  EXPECT_EQ(scene.app.RunLauncher(" prog.exe").exitCode, 0u);
  EXPECT_EQ(scene.Report().outcome, UpdateResult::ShareNotFound);
  EXPECT_EQ(scene.Report().failure, report.failure);
  EXPECT_THAT(scene.Report().missingOnShare, IsEmpty()) << "nothing looked for without the share";
  EXPECT_EQ(scene.Report().shareSight, ShareSight::NotSeen);
  MoveFileW(Widen(scene.shared + "-off").c_str(), Widen(scene.shared).c_str());
  EXPECT_EQ(scene.app.RunLauncher(" prog.exe").exitCode, 0u);
  EXPECT_EQ(scene.Report().outcome, UpdateResult::Updated);
  EXPECT_EQ(scene.Report().failure, "");
}

// A turn file that cannot be opened for writing, as for a user without the right to write the
// installation (the system refuses to open a directory for writing with the same error).
TEST(StartReport, AStartThatCannotTakeTheTurnStartsTheInstalledProgramWritesNothingAndSaysWhy) {
  const ReportScene scene;
  scene.Settings(scene.reports);
  MakeDir(scene.app / "Kolvex.lock");
  EXPECT_EQ(scene.app.RunLauncher(" prog.exe").exitCode, 0u);
  EXPECT_TRUE(WaitUntil([&] { return TargetStarts(scene.app) == 1; }, 15000));
  EXPECT_EQ(ReadFileBytes(scene.app / "prog.exe"), scene.v1013);
  EXPECT_THAT(UnexpectedEntries(scene.app.dir(), {"Kolvex.exe", "SHARED", "baza.set", "prog.exe", "raporty",
                                                  "target-run.txt"}),
              IsEmpty());
  const StartReport report = scene.Report();
  EXPECT_EQ(report.outcome, UpdateResult::TurnRefused);
  EXPECT_NE(report.reason, "");
}

// A name mistyped in the shortcut: the shell's message, the documented exit
// code (handed to the shell), and a report that says the program did not start.
TEST(StartReport, AProgramTheShellCannotOpenIsReportedAsNotStarted) {
  const ReportScene scene;
  scene.Settings(scene.reports);
  const auto launcher = scene.app.StartLauncher(" prg.exe");
  const HWND message = WaitForWindow({.processId = launcher->id()}, 20000);
  ASSERT_TRUE(message);
  EXPECT_EQ(PressButton(message, "OK"), PressResult::Pressed);
  EXPECT_EQ(launcher->Wait(15000).exitCode, 0u);
  EXPECT_NE(scene.Report().notStarted, "");
  EXPECT_EQ(TargetStarts(scene.app), 0);
}

TEST(StartReport, NoKeyOrAFolderThatCannotTakeItChangesNothingForTheUser) {
  const ReportScene scene;
  for (const std::string& reportDir : {std::string(), scene.reports + "\\brak", scene.app / "prog.exe"}) {
    scene.Reinstall();
    scene.Settings(reportDir);
    EXPECT_EQ(scene.app.RunLauncher(" prog.exe").exitCode, 0u) << reportDir;
    EXPECT_EQ(ReadFileBytes(scene.app / "prog.exe"), scene.v1014) << reportDir;
    EXPECT_THAT(ListDir(scene.reports), IsEmpty()) << reportDir;
  }
}

}  // namespace
}  // namespace kolvex::test
