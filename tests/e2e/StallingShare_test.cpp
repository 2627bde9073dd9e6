// Starts whose shared directory is on a server that stops answering: run by
// tests/e2e/stalling_share.sh, which mounts its FUSE share, and only there.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <stdexcept>

#include "common/win32/Handles.h"
#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"
#include "e2e/UpdateSupport.h"
#include "update/ShareProbe.h"
#include "update/StartReport_win32.h"
#include "support/Robot.h"

namespace kolvex::test {
namespace {

// The Windows name (drive Z:) of a Unix path that stalling_share.sh gives.
std::string FromScript(const char* variable) {
  const char* value = std::getenv(variable);
  if (!value) throw std::runtime_error(std::string(variable) + " is not set: run tests/e2e/stalling_share.sh");
  std::string path = std::string("Z:") + value;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// 1.0.1.3 installed; 1.0.1.4 on a share that behaves as its control file says (see
// stalling_share.py: "stall", "deny", "slow"). Start reports go to the installation's "raporty".
struct StallingScene {
  StallingScene(const std::string& name, const std::string& control, const std::string& content,
                const std::string& moreSettings = "")
      : backing(FromScript("KOLVEX_STALL_BACKING") + "\\" + name),
        share(FromScript("KOLVEX_STALL_SHARE") + "\\" + name + "\\share") {
    MakeDir(backing);
    MakeDir(backing + "\\share");
    MakeDir(reports);
    WriteFileBytes(backing + "\\share\\prog.exe", FixtureBytes("target_v1014"));
    WriteFileBytes(app / "prog.exe", FixtureBytes("target_v1013"));
    WriteSettings(app, share, "REPORT_DIR=" + reports + "\r\n" + moreSettings);
    WriteFileBytes(backing + "\\" + control, content);
  }
  StartReport Report() const {
    StartReport report;
    EXPECT_TRUE(ParseStartReport(ReadFileBytes(reports + "\\" + StartReportFileName(ComputerName())), report));
    return report;
  }
  Installation app;
  std::string backing, share, reports = app / "raporty";
};

TEST(StallingShare, ADeadShareIsLeftAloneAndTwoStartsAtOnceHandOffWithinTheTimeBox) {
  const StallingScene scene("dead", "stall", "60");
  const ULONGLONG start = GetTickCount64();
  const auto first = scene.app.StartLauncher(" prog.exe");
  const auto second = scene.app.StartLauncher(" prog.exe");
  for (Process* launcher : {first.get(), second.get()}) EXPECT_EQ(launcher->Wait(30000).exitCode, 0u);
  // The start-up wait, the time-box and a second, with 1.5 s for Wine's process starts and ends.
  EXPECT_LE(GetTickCount64() - start, 1000 + kShareTimeBoxMs + 1000 + 1500);
  EXPECT_TRUE(WaitUntil([&] { return TargetStarts(scene.app) == 2; }, 15000));
  EXPECT_TRUE(ReadFileBytes(scene.app / "prog.exe") == FixtureBytes("target_v1013"));
  EXPECT_FALSE(FileExists(scene.app / "_updatefiles.LOG") || FileExists(scene.app / "prog.exeOLD"));
}

// The report is written after the hand-off, and its folder is asked within
// the share's time-box too: a dead folder does not keep the start.
TEST(StallingShare, AStartWhoseReportFolderDoesNotAnswerEndsWithinTheTimeBox) {
  const StallingScene scene("reports", "stall", "60");
  WriteFileBytes(scene.app / "baza.set",
                 "[MAIN]\r\nREPORT_DIR=" + FromScript("KOLVEX_STALL_SHARE") + "\\reports\\share\r\n");
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(scene.app.RunLauncher(" prog.exe").finished);
  EXPECT_LE(GetTickCount64() - start, 1000 + kShareTimeBoxMs + 1000 + 1500);
}

// kolvexadm sprawdz with its output in a file (a pipe would stay open while
// its look-up still waits in the share): a share that does not answer is an
// error, exit code 2.
TEST(StallingShare, TheCheckCallsAShareThatDoesNotAnswerAnError) {
  const StallingScene scene("check", "stall", "60");
  const TempDir dir;
  const std::string output = dir / "out.txt", tool = BinDir() + "\\kolvexadm.exe";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const UniqueFile file(CreateFileW(Widen(output).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = file.get();
  std::wstring command = Widen("\"" + tool + "\" sprawdz \"" + scene.app.dir() + "\" prog.exe");
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(
      CreateProcessW(Widen(tool).c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
  const UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
  ASSERT_EQ(WaitForSingleObject(process.get(), 30000), DWORD{WAIT_OBJECT_0});
  DWORD exitCode = 0;
  GetExitCodeProcess(process.get(), &exitCode);
  EXPECT_EQ(exitCode, 2u);
  std::string said = ReadFileBytes(output);
  std::erase(said, '\0');  // the ASCII words as any encoding of the console writes them
  EXPECT_THAT(said, ::testing::HasSubstr("nie odpowiada"));
}

// A share the user has no right to (Wine has no SMB client; the FUSE share refuses with EACCES):
// as a missing one, and not a share where every file looks missing.
TEST(StallingShare, AShareThatRefusesTheStartIsLeftAloneAndTheReportGivesTheSystemsText) {
  const StallingScene scene("refused", "deny", "");
  EXPECT_EQ(scene.app.RunLauncher(" prog.exe").exitCode, 0u);
  EXPECT_TRUE(WaitUntil([&] { return TargetStarts(scene.app) == 1; }, 15000));
  EXPECT_TRUE(ReadFileBytes(scene.app / "prog.exe") == FixtureBytes("target_v1013"));
  const StartReport report = scene.Report();
  EXPECT_EQ(report.outcome, UpdateResult::ShareRefused);
  EXPECT_EQ(report.reason, GetErrorReason(ERROR_ACCESS_DENIED));
  EXPECT_THAT(report.missingOnShare, ::testing::IsEmpty());
}

TEST(StallingShare, AShareThatAnswersWithinTheTimeBoxIsUsed) {
  const StallingScene scene("slow", "stall", "2 1");  // its first look-up answers after two seconds
  EXPECT_EQ(scene.app.RunLauncher(" prog.exe").exitCode, 0u);
  EXPECT_TRUE(ReadFileBytes(scene.app / "prog.exe") == FixtureBytes("target_v1014"));
  EXPECT_THAT(LogTails(ReadUpdateLog(scene.app.dir())), ::testing::SizeIs(1));
}

// The share answers the start's first look, then stops answering (Wi-Fi, a VPN): each later
// request is bounded as the first look is, and the user is told once.
TEST(StallingShare, AShareThatStopsAnsweringAfterTheFirstLookIsGivenUpOnAndTheInstalledProgramStarts) {
  const StallingScene scene("dropped", "stall", "60 inside");
  const ULONGLONG start = GetTickCount64();
  const auto launcher = scene.app.StartLauncher(" prog.exe");
  const HWND warning = WaitForWindow({.title = "Uwaga", .processId = launcher->id()}, 20000);
  ASSERT_TRUE(warning);
  // The start-up wait and one request's time-box, with 2 s for Wine's process start.
  EXPECT_LE(GetTickCount64() - start, 1000 + kShareTimeBoxMs + 2000);
  EXPECT_EQ(PressButton(warning, "OK"), PressResult::Pressed);
  EXPECT_EQ(launcher->Wait(10000).exitCode, 0u);
  EXPECT_TRUE(WaitUntil([&] { return TargetStarts(scene.app) == 1; }, 15000));
  EXPECT_TRUE(ReadFileBytes(scene.app / "prog.exe") == FixtureBytes("target_v1013"));
  EXPECT_EQ(scene.Report().outcome, UpdateResult::ShareStopped);
}

// The report folder answers its first look, then stops answering: the start ends all the same.
TEST(StallingShare, AReportFolderThatStopsAnsweringHoldsNoStartUp) {
  const StallingScene scene("reports-dropped", "stall", "60 inside");
  WriteSettings(scene.app, scene.app / "SHARED", "REPORT_DIR=" + scene.share + "\r\n");
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(scene.app.RunLauncher(" prog.exe", 15000).exitCode, 0u);
  EXPECT_LE(GetTickCount64() - start, 1000 + kShareTimeBoxMs + 2500);
  EXPECT_TRUE(WaitUntil([&] { return TargetStarts(scene.app) == 1; }, 15000));
}

// A program that takes seconds to come over a slow line, slower than the share's time-box of a
// second: each piece that comes counts as the share answering. The window names the program and
// shows how far the copy is, answers messages meanwhile, and is gone before the program starts.
TEST(StallingShare, ALongCopyOfTheProgramShowsItsAnsweringWindowUntilTheHandOff) {
  const StallingScene scene("long", "slow", "0.2");
  WriteLargeProgram(scene.backing + "\\share\\prog.exe", FixtureBytes("target_v1014"), 8, 1);
  // Its report folder answers slowly: the start lives on for a while after the hand-off.
  const StallingScene reports("long-reports", "stall", "0.8 2");
  WriteSettings(scene.app, scene.share, "SHARED_TIMEOUT=1\r\nREPORT_DIR=" + reports.share + "\r\n");
  const auto launcher = scene.app.StartLauncher(" prog.exe");
  const HWND window = WaitForWindow({.title = "Aktualizacja", .processId = launcher->id()}, 20000);
  ASSERT_TRUE(window);
  int answered = 0, unanswered = 0;
  std::set<std::string> shown;
  for (const ULONGLONG end = GetTickCount64() + 30000;
       TargetStarts(scene.app) == 0 && IsWindowThere(window) && GetTickCount64() < end;) {
    DWORD_PTR result = 0;
    (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) ? answered : unanswered)++;
    const WindowInfo info = Inspect(window);
    for (const ControlInfo& control : info.controls) shown.insert(control.text);
    Sleep(200);
  }
  EXPECT_TRUE(WaitUntil([&] { return TargetStarts(scene.app) == 1; }, 30000));
  EXPECT_FALSE(IsWindowThere(window)) << "the window is gone before the program is handed off";
  EXPECT_EQ(launcher->Wait(10000).exitCode, 0u);
  EXPECT_GE(answered, 3);
  EXPECT_EQ(unanswered, 0);
  EXPECT_TRUE(shown.contains("PROG.EXE"));
  EXPECT_GE(std::ranges::count_if(shown, [](const std::string& text) { return text.ends_with("%"); }), 3);
  EXPECT_TRUE(HoldsLargeProgram(scene.app / "prog.exe", FixtureBytes("target_v1014"), 8, 1));
}

}  // namespace
}  // namespace kolvex::test
