// Refreshes that cannot be completed: the user is told why, the run stops
// without starting the target, and nothing of the installation is lost.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"
#include "e2e/UpdateSupport.h"
#include "support/Robot.h"

namespace kolvex::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr DWORD kWindowWaitMs = 20000;

std::string AllTexts(const WindowInfo& window) {
  std::string texts = window.title;
  for (const ControlInfo& control : window.controls) texts += "\n" + control.text;
  return texts;
}

// The system's text for an error code, without its closing CR LF.
std::string SystemText(DWORD code) {
  const std::string text = GetErrorString(static_cast<int32_t>(code));
  return text.substr(0, text.find_last_not_of("\r\n") + 1);
}

class UpdateFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDir(shared);
    WriteFileBytes(app / "prog.exe", v1013);
    WriteFileBytes(shared + "\\prog.exe", v1014);
  }

  // The copy's own report: the "Błąd" message window, which only its OK
  // button closes. Returns what it said.
  std::string AnswerErrorMessage(const Process& launcher) {
    const HWND window = WaitForWindow({.title = "Błąd", .processId = launcher.id()}, kWindowWaitMs);
    if (!window) {
      ADD_FAILURE() << "no \"Błąd\" window";
      return {};
    }
    const std::string said = AllTexts(Inspect(window));
    EXPECT_TRUE(RequestClose(window));
    EXPECT_FALSE(WaitForWindowGone(window, 700)) << "a close request dismissed the error";
    EXPECT_EQ(PressButton(window, "OK"), PressResult::Pressed);
    EXPECT_TRUE(WaitForWindowGone(window, 5000));
    return said;
  }

  // The generic error box that ends a run stopped by a failure. Returns its text.
  std::string AnswerGenericErrorBox(const Process& launcher) {
    const HWND box = WaitForWindow({.title = "Application Error", .processId = launcher.id()}, kWindowWaitMs);
    if (!box) {
      ADD_FAILURE() << "no \"Application Error\" box";
      return {};
    }
    const std::string said = AllTexts(Inspect(box));
    EXPECT_EQ(PressButton(box, "OK"), PressResult::Pressed);
    EXPECT_TRUE(WaitForWindowGone(box, 5000));
    return said;
  }

  void ExpectRunStoppedWithoutHandOff(Process& launcher) {
    const ProcessResult run = launcher.Wait(10000);
    ASSERT_TRUE(run.finished) << "the launcher did not end";
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(app.WaitForTargetRecord(app.dir(), 1500), "") << "the target was started";
  }

  Installation app;
  std::string shared = app / "SHARED";
  const std::string v1013 = FixtureBytes("target_v1013");
  const std::string v1014 = FixtureBytes("target_v1014");
};

TEST_F(UpdateFailureTest, AnInstalledProgramHeldOpenIsExplainedAndLeftAsItWas) {
  ForeignLock lock(app / "prog.exe");
  const auto launcher = app.StartLauncher(" prog.exe");
  ASSERT_TRUE(WaitForWindow({.title = "Błąd", .processId = launcher->id()}, kWindowWaitMs));
  // Its user away from the window, the start holds up no other start.
  const auto second = app.StartLauncher(" prog.exe");
  EXPECT_TRUE(WaitForWindow({.title = "Błąd", .processId = second->id()}, 8000)) << "the second start was held up";
  AnswerErrorMessage(*second);
  AnswerGenericErrorBox(*second);
  const std::string said = AnswerErrorMessage(*launcher);
  EXPECT_THAT(said, HasSubstr("prog.exe"));
  EXPECT_THAT(said, HasSubstr(SystemText(ERROR_SHARING_VIOLATION)));
  const std::string report = AnswerGenericErrorBox(*launcher);
  EXPECT_THAT(report, HasSubstr("Exception EAbort in module Kolvex.exe at "));
  EXPECT_THAT(report, HasSubstr("Operation aborted."));
  ExpectRunStoppedWithoutHandOff(*launcher);

  lock.Release();
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1013);
  EXPECT_EQ(ReadFileBytes(shared + "\\prog.exe"), v1014);
  EXPECT_THAT(UnexpectedEntries(app.dir(), {"Kolvex.exe", "SHARED", "prog.exe"}), IsEmpty());
}

// A window station of this test's own that no user sees, as a service's or
// a scheduled task's is: a desktop in it for the processes started there.
class HiddenWindowStation {
 public:
  HiddenWindowStation() : station_(CreateWindowStationW(L"KolvexBezPulpitu", 0, WINSTA_ALL_ACCESS, nullptr)) {
    const HWINSTA own = GetProcessWindowStation();
    if (station_ && SetProcessWindowStation(station_)) {
      desktop_ = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
      SetProcessWindowStation(own);
    }
  }
  ~HiddenWindowStation() {
    if (desktop_) CloseDesktop(desktop_);
    if (station_) CloseWindowStation(station_);
  }
  HiddenWindowStation(const HiddenWindowStation&) = delete;
  HiddenWindowStation& operator=(const HiddenWindowStation&) = delete;

  bool ok() const { return desktop_ != nullptr; }
  std::string desktop() const { return "KolvexBezPulpitu\\Default"; }

 private:
  HWINSTA station_;
  HDESK desktop_ = nullptr;
};

// Without a visible desktop nothing waits for a click: where the "Błąd"
// message or the "Uwaga" warning would be shown the run ends at once with
// exit code 1, and a start with nothing to tell hands the program off.
TEST_F(UpdateFailureTest, WithoutAVisibleDesktopARunThatWouldShowAWindowEndsWithExitCode1) {
  const HiddenWindowStation hidden;
  ASSERT_TRUE(hidden.ok());
  {
    ForeignLock lock(app / "prog.exe");
    const auto failed = app.StartLauncher(" prog.exe", "", hidden.desktop());
    ExpectRunStoppedWithoutHandOff(*failed);
  }
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1013);
  WriteFileBytes(app / "baza.set", "[SKLADNIKI]\r\nzly=..\\poza.dll\r\n");
  ExpectRunStoppedWithoutHandOff(*app.StartLauncher(" prog.exe", "", hidden.desktop()));
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1013) << "the warning's run went on to the update";

  WriteFileBytes(app / "baza.set", "");
  const auto quiet = app.StartLauncher(" prog.exe", "", hidden.desktop());
  const ProcessResult run = quiet->Wait(10000);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_NE(app.WaitForTargetRecord(app.dir()), "") << "the program was not started";
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1014);
}

TEST_F(UpdateFailureTest, ABackupHeldOpenStopsTheRunBeforeTheProgramIsTouched) {
  ForeignLock lock(app / "prog.exeOLD");
  const auto launcher = app.StartLauncher(" prog.exe");
  EXPECT_THAT(AnswerErrorMessage(*launcher), HasSubstr(SystemText(ERROR_SHARING_VIOLATION)));
  EXPECT_THAT(AnswerGenericErrorBox(*launcher), HasSubstr("Exception EAbort in module Kolvex.exe at "));
  ExpectRunStoppedWithoutHandOff(*launcher);

  lock.Release();
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1013);
  EXPECT_THAT(UnexpectedEntries(app.dir(), {"Kolvex.exe", "SHARED", "prog.exe", "prog.exeOLD"}), IsEmpty());
  EXPECT_EQ(ReadUpdateLog(app.dir()), "");
}

TEST_F(UpdateFailureTest, ASharedProgramHeldOpenLeavesTheInstalledOneAndMakesNoBackup) {
  // Unreadable, the shared file shows no version either: the update is tried.
  ForeignLock lock(shared + "\\prog.exe");
  const auto launcher = app.StartLauncher(" prog.exe");
  EXPECT_THAT(AnswerErrorMessage(*launcher), HasSubstr(SystemText(ERROR_SHARING_VIOLATION)));
  EXPECT_THAT(AnswerGenericErrorBox(*launcher), HasSubstr("Operation aborted."));
  ExpectRunStoppedWithoutHandOff(*launcher);

  lock.Release();
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1013);
  // Nothing was replaced, so no backup was made of it.
  EXPECT_THAT(UnexpectedEntries(app.dir(), {"Kolvex.exe", "SHARED", "prog.exe"}), IsEmpty());
  EXPECT_EQ(ReadUpdateLog(app.dir()), "");
}

TEST_F(UpdateFailureTest, ALogHeldOpenEndsTheRunAfterTheUpdate) {
  ForeignLock lock(app / "_updatefiles.LOG");
  const auto launcher = app.StartLauncher(" prog.exe");
  // The copies went well: no message window, only the report of the log's failure.
  const std::string report = AnswerGenericErrorBox(*launcher);
  EXPECT_THAT(report, HasSubstr("Exception EInOutError in module Kolvex.exe at "));
  EXPECT_FALSE(FindTopWindow({.title = "Błąd", .processId = launcher->id()}));
  ExpectRunStoppedWithoutHandOff(*launcher);

  lock.Release();
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1014);
  EXPECT_EQ(ReadFileBytes(app / "prog.exeOLD"), v1013);
  EXPECT_EQ(ReadUpdateLog(app.dir()), "");
  EXPECT_THAT(UnexpectedEntries(app.dir(), {"Kolvex.exe", "SHARED", "prog.exe", "prog.exeOLD", "_updatefiles.LOG"}),
              IsEmpty());
}

// A listed file another program holds open waits for a later start; the
// others and the program are brought in, and the program starts.
TEST_F(UpdateFailureTest, AComponentHeldOpenWaitsForALaterStartWhileTheRestIsRefreshed) {
  WriteFileBytes(app / "baza.set", "[SKLADNIKI]\r\na=prog.dll\r\nb=pomoc.dll\r\nc=inna.dll\r\n");
  for (const std::string name : {"prog.dll", "pomoc.dll", "inna.dll"}) {
    WriteFileBytes(app / name, v1013);
    WriteFileBytes(shared + "\\" + name, v1014);
  }
  {
    ForeignLock lock(app / "pomoc.dll");
    EXPECT_EQ(app.RunLauncher(" prog.exe").exitCode, 0u);
  }
  EXPECT_NE(app.WaitForTargetRecord(app.dir()), "") << "the program was not started";
  EXPECT_EQ(ReadFileBytes(app / "pomoc.dll"), v1013);
  EXPECT_THAT(LogTails(ReadUpdateLog(app.dir())),
              ElementsAre("prog.dll from [1.0.1.3] to [1.0.1.4]\r\n",
                          "pomoc.dll czeka: plik jest otwarty w innym programie\r\n",
                          "inna.dll from [1.0.1.3] to [1.0.1.4]\r\n", "prog.exe from [1.0.1.3] to [1.0.1.4]\r\n"));
  EXPECT_EQ(app.RunLauncher(" prog.exe").exitCode, 0u);
  EXPECT_EQ(ReadFileBytes(app / "pomoc.dll"), v1014);
}

TEST(UpdateLarge, A200MegabyteTargetIsBackedUpAndRefreshedByteForByte) {
  Installation app;
  const std::string shared = app / "SHARED";
  MakeDir(shared);
  const std::string v1013 = FixtureBytes("target_v1013");
  const std::string v1014 = FixtureBytes("target_v1014");
  constexpr int kMegabytes = 200;
  WriteLargeProgram(app / "prog.exe", v1013, kMegabytes, 1);
  WriteLargeProgram(shared + "\\prog.exe", v1014, kMegabytes, 2);

  const ProcessResult run = app.RunLauncher(" prog.exe", 180000);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_NE(app.WaitForTargetRecord(app.dir()), "") << "the target was not started";
  EXPECT_TRUE(HoldsLargeProgram(app / "prog.exe", v1014, kMegabytes, 2));
  EXPECT_TRUE(HoldsLargeProgram(app / "prog.exeOLD", v1013, kMegabytes, 1));
  EXPECT_THAT(LogTails(ReadUpdateLog(app.dir())), ElementsAre("prog.exe from [1.0.1.3] to [1.0.1.4]\r\n"));
  EXPECT_THAT(UnexpectedEntries(
                  app.dir(), {"Kolvex.exe", "SHARED", "prog.exe", "prog.exeOLD", "_updatefiles.LOG", "target-run.txt"}),
              IsEmpty());
}

}  // namespace
}  // namespace kolvex::test
