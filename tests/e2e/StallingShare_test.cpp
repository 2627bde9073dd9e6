// Starts whose shared directory is on a server that stops answering: run by
// tests/e2e/stalling_share.sh, which mounts its FUSE share, and only there.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "e2e/UpdateSupport.h"
#include "launcher/ShareProbe.h"
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

// 1.0.1.3 installed; 1.0.1.4 on a share that stalls as stall says (see stalling_share.py).
struct StallingScene {
  StallingScene(const std::string& name, const std::string& stall) {
    const std::string backing = FromScript("KOLVEX_STALL_BACKING") + "\\" + name;
    MakeDir(backing);
    MakeDir(backing + "\\share");
    WriteFileBytes(backing + "\\share\\prog.exe", FixtureBytes("target_v1014"));
    WriteFileBytes(app / "prog.exe", FixtureBytes("target_v1013"));
    WriteSettings(app, FromScript("KOLVEX_STALL_SHARE") + "\\" + name + "\\share");
    WriteFileBytes(backing + "\\stall", stall);
  }
  Installation app;
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

TEST(StallingShare, AShareThatAnswersWithinTheTimeBoxIsUsed) {
  const StallingScene scene("slow", "2 1");  // its first look-up answers after two seconds
  EXPECT_EQ(scene.app.RunLauncher(" prog.exe").exitCode, 0u);
  EXPECT_TRUE(ReadFileBytes(scene.app / "prog.exe") == FixtureBytes("target_v1014"));
  EXPECT_THAT(LogTails(ReadUpdateLog(scene.app.dir())), ::testing::SizeIs(1));
}

}  // namespace
}  // namespace kolvex::test
