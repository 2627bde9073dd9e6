// Many starts of one installation at once, and starts that meet a held turn, a run ended by force, or a share still being written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "e2e/UpdateSupport.h"
#include "update/UpdateTurn.h"
#include "support/Robot.h"

namespace kolvex::test {
namespace {

using ::testing::Contains;
using ::testing::Field;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

// An installation with version 1.0.1.3 of the program and 1.0.1.4 on the
// share, each followed by megabytes of filler (see WriteLargeProgram).
struct Scene {
  explicit Scene(int megabytes = 0) : megabytes(megabytes) {
    MakeDir(shared);
    WriteLargeProgram(app / "prog.exe", v1013, megabytes, 1);
    WriteLargeProgram(shared + "\\prog.exe", v1014, megabytes, 2);
  }
  int Starts() const { return TargetStarts(app); }
  void ExpectHandOff(Process& launcher) const {
    const ProcessResult run = launcher.Wait(60000);
    EXPECT_TRUE(run.finished && run.exitCode == 0) << "exit code " << run.exitCode;
  }
  // The update done once, completely, by whichever run did it, and nothing left over.
  void ExpectOneUpdate(int starts) const {
    EXPECT_TRUE(HoldsLargeProgram(app / "prog.exe", v1014, megabytes, 2) &&
                HoldsLargeProgram(app / "prog.exeOLD", v1013, megabytes, 1));
    EXPECT_THAT(LogTails(ReadUpdateLog(app.dir())), SizeIs(1)) << "updates seen";
    EXPECT_TRUE(WaitUntil([&] { return Starts() == starts; }, 15000)) << Starts() << " starts of the program";
    EXPECT_THAT(UnexpectedEntries(app.dir(), {"Kolvex.exe", "SHARED", "prog.exe", "prog.exeOLD", "_updatefiles.LOG",
                                              "target-run.txt"}),
                IsEmpty());
  }

  int megabytes;
  Installation app;
  std::string shared = app / "SHARED";
  const std::string v1013 = FixtureBytes("target_v1013");
  const std::string v1014 = FixtureBytes("target_v1014");
};

// The turn is held until all eight wait for it, then left: they meet at the
// turn at once, and only one of them may find anything to update. The
// program has 20 MB, so that its update outlasts the waiting starts' polls.
// The last round's installation comes with a read-only turn file (copied
// from a CD): Windows opens it for nobody to write, so that each start would
// go without its turn.
TEST(ManyStarts, EightLaunchersAtOnceEachStartTheProgramAfterOneUpdate) {
  for (int round = 0; round < 2; ++round) {
    const Scene scene(20);
    const std::wstring turnFile = Widen(scene.app / "Kolvex.lock");
    if (round == 1) {
      WriteFileBytes(scene.app / "Kolvex.lock", "");
      SetFileAttributesW(turnFile.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    ForeignLock turn(scene.app / std::string(kTurnFileName));
    std::vector<std::unique_ptr<Process>> launchers;
    for (int i = 0; i < 8; ++i) launchers.push_back(scene.app.StartLauncher(" prog.exe"));
    for (auto& launcher : launchers)
      ASSERT_TRUE(WaitForWindow({.title = "Aktualizacja", .processId = launcher->id()}, 15000));
    turn.Release();
    for (auto& launcher : launchers) scene.ExpectHandOff(*launcher);
    scene.ExpectOneUpdate(8);
    EXPECT_FALSE(GetFileAttributesW(turnFile.c_str()) & FILE_ATTRIBUTE_READONLY);
  }
}

// The program open with its library while both, read-only, and the launcher are published anew:
// a later start runs the new launcher, which removes what was moved aside.
TEST(ManyStarts, FourLaunchersWhileTheProgramRunsReplaceItItsLibraryAndTheLauncherAndItRunsOn) {
  const Scene scene;
  const std::string program = FixtureBytes("demo_app_v1013"), library = BinDir() + "\\demo_lib_v101";
  WriteFileBytes(scene.app / "prog.exe", program);
  WriteFileBytes(scene.shared + "\\prog.exe", FixtureBytes("demo_app_v1014"));
  SetFileAttributesW(Widen(scene.shared + "\\prog.exe").c_str(), FILE_ATTRIBUTE_READONLY);
  CopyFileTo(library + "3.dll", scene.app / "prog.dll");
  CopyFileTo(library + "4.dll", scene.shared + "\\prog.dll");
  WriteFileBytes(scene.shared + "\\Kolvex.exe", ReadFileBytes(scene.app / "Kolvex.exe") + "nowy");  // a later date
  WriteFileBytes(scene.app / "baza.set", "[SKLADNIKI]\r\na=prog.dll\r\nk=Kolvex.exe,2\r\n");
  Process open(scene.app / "prog.exe", "prog.exe /dlugo", scene.app.dir());
  ASSERT_TRUE(WaitUntil([&] { return scene.Starts() == 1; }, 15000));
  std::vector<std::unique_ptr<Process>> launchers;
  for (int i = 0; i < 4; ++i) launchers.push_back(scene.app.StartLauncher(" prog.exe"));
  for (auto& launcher : launchers) scene.ExpectHandOff(*launcher);
  EXPECT_EQ(WaitForSingleObject(open.handle(), 0), DWORD{WAIT_TIMEOUT}) << "the open program ended";
  EXPECT_TRUE(ReadFileBytes(scene.app / "prog.exeOLD") == program);
  EXPECT_TRUE(WaitUntil([&] { return scene.Starts() == 5; }, 15000));
  EXPECT_EQ(ReadFileBytes(scene.app / "target-run.txt").rfind("version=1.0.1.3"), 0u) << "a start ran the old one";
  EXPECT_NE(GetFileAttributesW(Widen(scene.app / "prog.exe").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_THAT(LogTails(ReadUpdateLog(scene.app.dir())), SizeIs(3));
  const auto hidden = [&](const std::string& e) {
    return e != kTurnFileName && GetFileAttributesW(Widen(scene.app / e).c_str()) & FILE_ATTRIBUTE_HIDDEN;
  };
  EXPECT_EQ(std::ranges::count_if(ListDir(scene.app.dir()), hidden), 3) << "the running files moved aside, hidden";
  TerminateProcess(open.handle(), 0);
  open.Wait(10000);
  // Started from another working directory, as by a shortcut's "Start in".
  scene.ExpectHandOff(*scene.app.StartLauncher(" prog.exe", scene.shared));
  EXPECT_THAT(UnexpectedEntries(scene.app.dir(), {"Kolvex.exe", "Kolvex.exeOLD", "SHARED", "baza.set", "prog.exe",
                                                  "prog.exeOLD", "prog.dll", "prog.dllOLD", "_updatefiles.LOG",
                                                  "target-run.txt"}),
              IsEmpty());
}

// The turn held by another program (as by a start that is stuck) for longer
// than the wait's bound: the start runs the installed program as it is, and
// where none is installed, tells the user and ends with exit code 1.
TEST(ManyStarts, ATurnHeldPastTheBoundIsWaitedForWithTheProgressWindowThenTheInstalledProgramStarts) {
  const Scene scene, other, uninstalled;
  ForeignLock turn(scene.app / std::string(kTurnFileName));
  ASSERT_TRUE(DeleteFileW(Widen(uninstalled.app / "prog.exe").c_str()));
  ForeignLock uninstalledTurn(uninstalled.app / std::string(kTurnFileName));
  const auto waiting = scene.app.StartLauncher(" prog.exe");
  const auto waitingForNothing = uninstalled.app.StartLauncher(" prog.exe");
  const HWND progress = WaitForWindow({.title = "Aktualizacja", .processId = waiting->id()}, 15000);
  ASSERT_TRUE(progress);
  EXPECT_THAT(Inspect(progress).controls, Contains(Field(&ControlInfo::text, "PROG.EXE")));

  const auto beside = other.app.StartLauncher(" prog.exe");
  other.ExpectHandOff(*beside);
  other.ExpectOneUpdate(1);

  scene.ExpectHandOff(*waiting);
  EXPECT_TRUE(WaitUntil([&] { return scene.Starts() == 1; }, 15000));
  EXPECT_TRUE(ReadFileBytes(scene.app / "prog.exe") == scene.v1013) << "updated without the turn";
  EXPECT_EQ(ReadUpdateLog(scene.app.dir()), "");

  const HWND message = WaitForWindow({.title = "Błąd", .processId = waitingForNothing->id()}, 15000);
  ASSERT_TRUE(message);
  EXPECT_THAT(Inspect(message).controls, Contains(Field(&ControlInfo::text, HasSubstr("zbyt długo: PROG.EXE"))));
  EXPECT_EQ(PressButton(message, "OK"), PressResult::Pressed);
  const HWND box = WaitForWindow({.title = "Application Error", .processId = waitingForNothing->id()}, 15000);
  ASSERT_TRUE(box);
  EXPECT_EQ(PressButton(box, "OK"), PressResult::Pressed);
  EXPECT_EQ(waitingForNothing->Wait(10000).exitCode, 1u);
}

// The start holding the turn ended by force while another waits for it: the
// system closes its turn file, and the waiting start takes over at once.
TEST(ManyStarts, AStartWaitingForOneEndedByForceTakesTheTurnOverAtOnce) {
  const Scene scene;
  // Sixteen components, each shown in the progress window for half a second: the
  // first start holds the turn long enough for the second to be waiting.
  std::string list = "[SKLADNIKI]\r\n";
  for (const char c : std::string("abcdefghijklmnop")) {
    WriteFileBytes(scene.shared + "\\" + c + ".hlp", "new");
    list += std::string(1, c) + "=" + c + ".hlp,2\r\n";
  }
  WriteFileBytes(scene.app / "baza.set", list);
  const auto holder = scene.app.StartLauncher(" prog.exe");
  ASSERT_TRUE(WaitForWindow({.title = "Aktualizacja", .processId = holder->id()}, 15000));
  const auto waiting = scene.app.StartLauncher(" prog.exe");
  ASSERT_TRUE(WaitForWindow({.title = "Aktualizacja", .processId = waiting->id()}, 15000));
  ASSERT_FALSE(FileExists(scene.app / "p.hlp")) << "the first start was done before the second waited";
  TerminateProcess(holder->handle(), 1);
  const ProcessResult run = waiting->Wait(20000);
  EXPECT_TRUE(run.finished && run.exitCode == 0) << "the turn was not taken over at once";
  EXPECT_TRUE(FileExists(scene.app / "p.hlp") && ReadFileBytes(scene.app / "prog.exe") == scene.v1014);
}

// Each launcher ended holds the lock: the next start takes the abandoned lock over.
TEST(ManyStarts, ALauncherEndedDuringEitherCopyLeavesAWholeProgramAndTheNextCompletes) {
  const Scene scene;
  const std::string prog = scene.app / "prog.exe";
  WriteLargeProgram(prog, scene.v1013, 60, 1);
  WriteLargeProgram(scene.shared + "\\prog.exe", scene.v1014, 60, 2);
  for (const std::string copy : {"~prog.exeOLD.", "~prog.exe."}) {
    const auto launcher = scene.app.StartLauncher(" prog.exe");
    const auto copying = [&](const std::string& entry) { return entry.starts_with(copy); };
    ASSERT_TRUE(WaitUntil([&] { return std::ranges::any_of(ListDir(scene.app.dir()), copying); }, 20000))
        << "no " << copy << "* appeared: the copy never began";
    TerminateProcess(launcher->handle(), 1);
    launcher->Wait(10000);
    EXPECT_TRUE(HoldsLargeProgram(prog, scene.v1013, 60, 1) || HoldsLargeProgram(prog, scene.v1014, 60, 2)) << copy;
  }
  scene.ExpectHandOff(*scene.app.StartLauncher(" prog.exe"));
  EXPECT_TRUE(HoldsLargeProgram(prog, scene.v1014, 60, 2) && HoldsLargeProgram(prog + "OLD", scene.v1013, 60, 1));
  EXPECT_THAT(UnexpectedEntries(scene.app.dir(), {"Kolvex.exe", "SHARED", "prog.exe", "prog.exeOLD",
                                                  "_updatefiles.LOG", "target-run.txt"}),
              IsEmpty());
}

TEST(ManyStarts, AProgramCutShortOnTheShareIsKeptOutAndTheInstalledOneStarted) {
  const Scene scene;
  // Headers and the first pages of code arrived, the version resource did not.
  WriteFileBytes(scene.shared + "\\prog.exe", scene.v1014.substr(0, 8192));
  scene.ExpectHandOff(*scene.app.StartLauncher(" prog.exe"));
  EXPECT_TRUE(WaitUntil([&] { return scene.Starts() == 1; }, 15000));
  EXPECT_TRUE(ReadFileBytes(scene.app / "prog.exe") == scene.v1013);
  EXPECT_THAT(UnexpectedEntries(scene.app.dir(), {"Kolvex.exe", "SHARED", "prog.exe", "target-run.txt"}), IsEmpty());
}

}  // namespace
}  // namespace kolvex::test
