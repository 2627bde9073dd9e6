// Many starts of one installation at once, and starts that meet a lock, a
// run ended by force, a program in use or a share still being written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "e2e/UpdateSupport.h"
#include "launcher/UpdateStage_win32.h"
#include "support/Robot.h"

namespace kolvex::test {
namespace {

using ::testing::IsEmpty;
using ::testing::SizeIs;

constexpr int kLaunchers = 8;
constexpr int kRounds = 3;

int CountRecords(const std::string& dir) {
  const std::string path = dir + "\\target-run.txt";
  if (!FileExists(path)) return 0;
  const std::string text = ReadFileBytes(path);
  int records = 0;
  for (size_t at = text.find("cmdline="); at != std::string::npos; at = text.find("cmdline=", at + 1)) ++records;
  return records;
}

// The installation's lock as another run holds it, from a thread of the
// test: released on Release, or abandoned there when the thread ends
// without releasing it (the test keeps a handle, so the lock lives on).
class HeldLock {
 public:
  HeldLock(const Installation& app, bool abandon) {
    const std::wstring name = L"Global\\" + UpdateLockNameOf(app.dir());
    const UniqueKernelHandle held(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_ = std::thread([this, name, abandon, heldEvent = held.get()] {
      lock_.reset(CreateMutexW(nullptr, TRUE, name.c_str()));
      SetEvent(heldEvent);
      WaitForSingleObject(release_.get(), INFINITE);
      if (!abandon) ReleaseMutex(lock_.get());
    });
    WaitForSingleObject(held.get(), 10000);
  }
  void Release() {
    if (!thread_.joinable()) return;
    SetEvent(release_.get());
    thread_.join();
  }
  ~HeldLock() { Release(); }

 private:
  UniqueKernelHandle release_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  UniqueKernelHandle lock_;
  std::thread thread_;
};

// An installation with version 1.0.1.3 of the program and 1.0.1.4 on the share.
struct Scene {
  Scene() {
    MakeDir(shared);
    WriteFileBytes(app / "prog.exe", v1013);
    WriteFileBytes(shared + "\\prog.exe", v1014);
  }

  // The update done once, completely, by whichever run did it.
  void ExpectOneCompleteUpdate(int starts) const {
    EXPECT_TRUE(ReadFileBytes(app / "prog.exe") == v1014);
    EXPECT_TRUE(ReadFileBytes(app / "prog.exeOLD") == v1013);
    EXPECT_THAT(SplitLogLines(ReadUpdateLog(app.dir())), SizeIs(1));
    EXPECT_TRUE(WaitUntil([&] { return CountRecords(app.dir()) == starts; }, 15000))
        << CountRecords(app.dir()) << " starts of the program";
    ExpectNothingLeftOver();
  }
  void ExpectNothingLeftOver() const {
    EXPECT_THAT(UnexpectedEntries(app.dir(), {"Kolvex.exe", "SHARED", "prog.exe", "prog.exeOLD", "_updatefiles.LOG",
                                              "target-run.txt"}),
                IsEmpty());
  }
  void ExpectHandOff(Process& launcher) const {
    const ProcessResult run = launcher.Wait(60000);
    EXPECT_TRUE(run.finished) << "the launcher did not end";
    EXPECT_EQ(run.exitCode, 0u);
  }

  Installation app;
  std::string shared = app / "SHARED";
  const std::string v1013 = FixtureBytes("target_v1013");
  const std::string v1014 = FixtureBytes("target_v1014");
};

TEST(ManyStarts, EightLaunchersAtOnceEachStartTheProgramAfterOneUpdate) {
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const Scene scene;
    std::vector<std::unique_ptr<Process>> launchers;
    for (int i = 0; i < kLaunchers; ++i) launchers.push_back(scene.app.StartLauncher(" prog.exe"));
    for (auto& launcher : launchers) scene.ExpectHandOff(*launcher);
    scene.ExpectOneCompleteUpdate(kLaunchers);
  }
}

TEST(ManyStarts, AHeldLockIsWaitedForWithTheProgressWindowAndOtherInstallationsGoOn) {
  const Scene scene, other;
  HeldLock lock(scene.app, false);
  const auto waiting = scene.app.StartLauncher(" prog.exe");
  const HWND progress = WaitForWindow({.title = "Aktualizacja", .processId = waiting->id()}, 15000);
  EXPECT_TRUE(progress) << "no progress window while waiting";
  if (progress) {
    const std::vector<ControlInfo> controls = Inspect(progress).controls;
    EXPECT_TRUE(std::any_of(controls.begin(), controls.end(), [](const ControlInfo& c) { return c.text == "PROG.EXE"; }));
  }

  const auto beside = other.app.StartLauncher(" prog.exe");
  other.ExpectHandOff(*beside);
  other.ExpectOneCompleteUpdate(1);
  EXPECT_TRUE(ReadFileBytes(scene.app / "prog.exe") == scene.v1013) << "the lock was not waited for";

  lock.Release();
  scene.ExpectHandOff(*waiting);
  scene.ExpectOneCompleteUpdate(1);
}

TEST(ManyStarts, AnAbandonedLockIsTakenOver) {
  const Scene scene;
  HeldLock lock(scene.app, true);
  lock.Release();
  const ProcessResult run = scene.app.RunLauncher(" prog.exe");
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  scene.ExpectOneCompleteUpdate(1);
}

// Ends the launcher as soon as a temporary copy of the given prefix appears.
void EndDuringCopy(const Installation& app, const std::string& temporaryPrefix) {
  const auto launcher = app.StartLauncher(" prog.exe");
  WaitUntil(
      [&] {
        for (const std::string& entry : ListDir(app.dir()))
          if (entry.starts_with(temporaryPrefix)) return true;
        return false;
      },
      20000);
  TerminateProcess(launcher->handle(), 1);
  launcher->Wait(10000);
}

TEST(ManyStarts, ALauncherEndedDuringEitherCopyLeavesAWholeProgramAndTheNextCompletes) {
  const Scene scene;
  constexpr int kMegabytes = 60;
  WriteLargeProgram(scene.app / "prog.exe", scene.v1013, kMegabytes, 1);
  WriteLargeProgram(scene.shared + "\\prog.exe", scene.v1014, kMegabytes, 2);
  for (const char* copy : {"~prog.exeOLD.", "~prog.exe."}) {
    SCOPED_TRACE(copy);
    EndDuringCopy(scene.app, copy);
    EXPECT_TRUE(HoldsLargeProgram(scene.app / "prog.exe", scene.v1013, kMegabytes, 1) ||
                HoldsLargeProgram(scene.app / "prog.exe", scene.v1014, kMegabytes, 2));
  }
  const ProcessResult run = scene.app.RunLauncher(" prog.exe", 120000);
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(HoldsLargeProgram(scene.app / "prog.exe", scene.v1014, kMegabytes, 2));
  EXPECT_TRUE(HoldsLargeProgram(scene.app / "prog.exeOLD", scene.v1013, kMegabytes, 1));
  EXPECT_TRUE(WaitUntil([&] { return CountRecords(scene.app.dir()) >= 1; }, 15000));
  scene.ExpectNothingLeftOver();
}

TEST(ManyStarts, AProgramCutShortOnTheShareIsKeptOutAndTheInstalledOneStarted) {
  const Scene scene;
  // Headers and the first pages of code arrived, the version resource did not.
  WriteFileBytes(scene.shared + "\\prog.exe", scene.v1014.substr(0, 8192));
  const ProcessResult run = scene.app.RunLauncher(" prog.exe");
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_NE(scene.app.WaitForTargetRecord(scene.app.dir()), "");
  EXPECT_TRUE(ReadFileBytes(scene.app / "prog.exe") == scene.v1013);
  EXPECT_THAT(UnexpectedEntries(scene.app.dir(), {"Kolvex.exe", "SHARED", "prog.exe", "target-run.txt"}), IsEmpty());
}

}  // namespace
}  // namespace kolvex::test
