// Starts whose shared directory is on a server that stops answering: run by
// tests/e2e/stalling_share.sh, which mounts its FUSE share, and only there.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "common/win32/SystemText.h"
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
