// Starts whose shared directory is on a server that stops answering, served
// by tests/e2e/stalling_share.py: run through tests/e2e/stalling_share.sh,
// which mounts it, not among the other end-to-end tests.
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

using ::testing::SizeIs;

// Process start-up and end under Wine, on a machine shared with other tests.
constexpr ULONGLONG kSlackMs = 1500;

// The Windows name (drive Z:) of a Unix path that stalling_share.sh gives.
std::string FromScript(const char* variable) {
  const char* value = std::getenv(variable);
  if (!value) throw std::runtime_error(std::string(variable) + " is not set: run tests/e2e/stalling_share.sh");
  std::string path = std::string("Z:") + value;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// 1.0.1.3 installed, 1.0.1.4 in a directory of the share that stalls as the
// stall file says ("SECONDS [COUNT]", see stalling_share.py).
struct StallingScene {
  StallingScene(const std::string& name, const std::string& stall) {
    const std::string backing = FromScript("KOLVEX_STALL_BACKING") + "\\" + name;
    MakeDir(backing);
    MakeDir(backing + "\\share");
    WriteFileBytes(backing + "\\share\\prog.exe", FixtureBytes("target_v1014"));
    WriteFileBytes(app / "prog.exe", v1013);
    WriteSettings(app, FromScript("KOLVEX_STALL_SHARE") + "\\" + name + "\\share");
    WriteFileBytes(backing + "\\stall", stall);
  }
  size_t Starts() const {
    const std::string record = FileExists(app / "target-run.txt") ? ReadFileBytes(app / "target-run.txt") : "";
    size_t starts = 0;
    for (size_t at = record.find("cmdline="); at != std::string::npos; at = record.find("cmdline=", at + 1)) ++starts;
    return starts;
  }

  Installation app;
  const std::string v1013 = FixtureBytes("target_v1013");
};

TEST(StallingShare, ADeadShareIsLeftAloneAndTwoStartsAtOnceHandOffWithinTheTimeBox) {
  const StallingScene scene("dead", "60");
  const ULONGLONG start = GetTickCount64();
  const auto first = scene.app.StartLauncher(" prog.exe");
  const auto second = scene.app.StartLauncher(" prog.exe");
  for (Process* launcher : {first.get(), second.get()}) {
    const ProcessResult run = launcher->Wait(30000);
    EXPECT_TRUE(run.finished && run.exitCode == 0) << "exit code " << run.exitCode;
  }
  // The start-up wait, the time-box and a second: neither start waited for
  // the share, nor for the other.
  EXPECT_LE(GetTickCount64() - start, 1000 + kShareTimeBoxMs + 1000 + kSlackMs);
  EXPECT_TRUE(WaitUntil([&] { return scene.Starts() == 2; }, 15000)) << scene.Starts() << " starts";
  EXPECT_TRUE(ReadFileBytes(scene.app / "prog.exe") == scene.v1013);
  EXPECT_FALSE(FileExists(scene.app / "_updatefiles.LOG"));
  EXPECT_FALSE(FileExists(scene.app / "prog.exeOLD"));
}

TEST(StallingShare, AShareThatAnswersWithinTheTimeBoxIsUsed) {
  const StallingScene scene("slow", "2 1");  // its first look-up answers after two seconds
  const ProcessResult run = scene.app.RunLauncher(" prog.exe", 30000);
  EXPECT_TRUE(run.finished && run.exitCode == 0) << "exit code " << run.exitCode;
  EXPECT_TRUE(ReadFileBytes(scene.app / "prog.exe") == FixtureBytes("target_v1014"));
  EXPECT_THAT(LogTails(ReadUpdateLog(scene.app.dir())), SizeIs(1));
}

}  // namespace
}  // namespace kolvex::test
