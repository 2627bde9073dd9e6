// Starts whose shared directory is on a server that stops answering: run by
// tests/e2e/stalling_share.sh, which mounts its FUSE share, and only there.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "common/win32/Handles.h"
#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"
#include "e2e/UpdateSupport.h"
#include "launcher/ShareProbe.h"
#include "launcher/StartReport_win32.h"
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

// 1.0.1.3 installed; 1.0.1.4 on a share that stalls as stall says, or refuses every look with
// stall "deny" (see stalling_share.py). Start reports go to the installation's "raporty".
struct StallingScene {
  StallingScene(const std::string& name, const std::string& stall) {
    const std::string backing = FromScript("KOLVEX_STALL_BACKING") + "\\" + name;
    MakeDir(backing);
    MakeDir(backing + "\\share");
    MakeDir(reports);
    WriteFileBytes(backing + "\\share\\prog.exe", FixtureBytes("target_v1014"));
    WriteFileBytes(app / "prog.exe", FixtureBytes("target_v1013"));
    WriteSettings(app, FromScript("KOLVEX_STALL_SHARE") + "\\" + name + "\\share", "REPORT_DIR=" + reports + "\r\n");
    if (stall == "deny") WriteFileBytes(backing + "\\deny", "");
    else WriteFileBytes(backing + "\\stall", stall);
  }
  StartReport Report() const {
    StartReport report;
    EXPECT_TRUE(ParseStartReport(ReadFileBytes(reports + "\\" + StartReportFileName(ComputerName())), report));
    return report;
  }
  Installation app;
  std::string reports = app / "raporty";
};

TEST(StallingShare, ADeadShareIsLeftAloneAndTwoStartsAtOnceHandOffWithinTheTimeBox) {
  const StallingScene scene("dead", "60");
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
  const StallingScene scene("reports", "60");
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
  const StallingScene scene("check", "60");
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
  const StallingScene scene("refused", "deny");
  EXPECT_EQ(scene.app.RunLauncher(" prog.exe").exitCode, 0u);
  EXPECT_TRUE(WaitUntil([&] { return TargetStarts(scene.app) == 1; }, 15000));
  EXPECT_TRUE(ReadFileBytes(scene.app / "prog.exe") == FixtureBytes("target_v1013"));
  const StartReport report = scene.Report();
  EXPECT_EQ(report.outcome, UpdateResult::ShareRefused);
  EXPECT_EQ(report.reason, GetErrorReason(ERROR_ACCESS_DENIED));
  EXPECT_THAT(report.missingOnShare, ::testing::IsEmpty());
}

TEST(StallingShare, AShareThatAnswersWithinTheTimeBoxIsUsed) {
  const StallingScene scene("slow", "2 1");  // its first look-up answers after two seconds
  EXPECT_EQ(scene.app.RunLauncher(" prog.exe").exitCode, 0u);
  EXPECT_TRUE(ReadFileBytes(scene.app / "prog.exe") == FixtureBytes("target_v1014"));
  EXPECT_THAT(LogTails(ReadUpdateLog(scene.app.dir())), ::testing::SizeIs(1));
}

}  // namespace
}  // namespace kolvex::test
