// The verified copy on real files. Failures are recorded instead of shown:
// no window is opened here.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"
#include "common/win32/Handles.h"
#include "files/Signature_win32.h"
#include "files/WindowsCopySystem_win32.h"
#include "support/TestSupport.h"

namespace kolvex {
namespace {

using test::ForeignLock;
using test::ListDir;
using test::ReadFileBytes;
using test::WriteFileBytes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kNew = "new program\r\n" + std::string(5000, 'n');
const std::string kOld = "old program";

std::string Message(const std::string& name, const std::string& reason) {
  return "Błąd kopiowania pliku: " + name + "\r\r" + reason;
}

DWORD Attributes(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()); }

void SetReadOnly(const std::string& path) {
  ASSERT_TRUE(SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_READONLY));
}

class CopyFileVerifiedWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeDir(shared);
    test::MakeDir(local);
    WriteFileBytes(source, kNew);
    WriteFileBytes(target, kOld);
  }

  bool Copy(CopySystem& system, const std::string& from, const std::string& to) {
    return CopyFileVerified(from, to, system, [this](const std::string& text) { shown.push_back(text); }) ==
           CopyResult::Copied;
  }
  bool Copy() { return Copy(system, source, target); }

  test::TempDir dir{"kolvex-copy"};
  const std::string shared = dir / "shared";
  const std::string local = dir / "local";
  const std::string source = shared + "\\prog.exe";
  const std::string target = local + "\\prog.exe";
  WindowsCopySystem system;
  std::vector<std::string> shown;
};

TEST_F(CopyFileVerifiedWin32, CopiesOverAnExistingFile) {
  // A copy that succeeds shows nothing.
  EXPECT_TRUE(Copy(system, source, target));
  EXPECT_THAT(shown, IsEmpty());
  EXPECT_EQ(ReadFileBytes(target), kNew);
  EXPECT_THAT(ListDir(local), ElementsAre("prog.exe"));
}

TEST_F(CopyFileVerifiedWin32, CopiesToANewFileWithAPolishName) {
  const std::string polish = local + "\\żółw ąę.exe";
  EXPECT_TRUE(Copy(system, source, polish));
  EXPECT_THAT(shown, IsEmpty());
  EXPECT_EQ(ReadFileBytes(polish), kNew);
  EXPECT_THAT(ListDir(local), ElementsAre("prog.exe", "żółw ąę.exe"));
}

TEST_F(CopyFileVerifiedWin32, TargetHeldOpenElsewhereStaysAsItWas) {
  {
    ForeignLock lock(target);
    EXPECT_FALSE(Copy());
  }
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", GetErrorString(ERROR_SHARING_VIOLATION))));
  EXPECT_EQ(ReadFileBytes(target), kOld);
  EXPECT_THAT(ListDir(local), ElementsAre("prog.exe"));
}

TEST_F(CopyFileVerifiedWin32, ATargetHeldForHalfASecondIsWaitedFor) {
  ForeignLock lock(target);
  std::thread holder([&lock] {
    Sleep(500);
    lock.Release();
  });
  EXPECT_TRUE(Copy());
  holder.join();
  EXPECT_THAT(shown, IsEmpty());
  EXPECT_EQ(ReadFileBytes(target), kNew);
  EXPECT_THAT(ListDir(local), ElementsAre("prog.exe"));
}

TEST_F(CopyFileVerifiedWin32, SourceThatIsADirectoryIsMissing) {
  EXPECT_FALSE(Copy(system, shared, target));
  EXPECT_THAT(shown, ElementsAre(Message("shared", "Brak pliku źródłowego.")));
  EXPECT_EQ(ReadFileBytes(target), kOld);
}

TEST_F(CopyFileVerifiedWin32, FloppyDrivesWithoutMedium) {
  EXPECT_FALSE(Copy(system, "A:\\prog.exe", target));
  EXPECT_FALSE(Copy(system, source, "b:\\prog.exe"));
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", "Brak dyskietki źródłowej w stacji."),
                                 Message("prog.exe", "Brak dyskietki w stacji.")));
}

TEST_F(CopyFileVerifiedWin32, ReadOnlyTargetIsReplaced) {
  SetReadOnly(target);
  EXPECT_TRUE(Copy());
  EXPECT_THAT(shown, IsEmpty());
  EXPECT_EQ(ReadFileBytes(target), kNew);
  EXPECT_EQ(Attributes(target) & FILE_ATTRIBUTE_READONLY, 0u);  // the copy's own attributes
  EXPECT_THAT(ListDir(local), ElementsAre("prog.exe"));
}

TEST_F(CopyFileVerifiedWin32, ReadOnlyTargetThatCannotBeReplacedKeepsItsAttribute) {
  {
    ForeignLock lock(target);
    SetReadOnly(target);
    EXPECT_FALSE(Copy());
  }
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", GetErrorString(ERROR_SHARING_VIOLATION))));
  EXPECT_EQ(ReadFileBytes(target), kOld);
  EXPECT_NE(Attributes(target) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_THAT(ListDir(local), ElementsAre("prog.exe"));
}

TEST_F(CopyFileVerifiedWin32, ReadOnlyCopyIsRemovedWhenItCannotBePlaced) {
  SetReadOnly(source);  // its copy is read-only as well, which the system refuses to delete
  {
    ForeignLock lock(target);
    EXPECT_FALSE(Copy());
  }
  EXPECT_EQ(ReadFileBytes(target), kOld);
  EXPECT_THAT(ListDir(local), ElementsAre("prog.exe"));
}

// The installed program runs, so it is moved aside, and then its copy is
// gone (a virus scanner took it away): the program comes back under its name.
TEST_F(CopyFileVerifiedWin32, ARunningProgramMovedAsideComesBackWhenTheCopyCannotTakeItsPlace) {
  test::CopyFileTo(test::BinDir() + "\\locker.exe", target);
  const std::string program = ReadFileBytes(target);
  ForeignLock running(dir / "held", target);
  EXPECT_TRUE(system.MoveOver(TemporaryCopyName(target, GetCurrentProcessId()), target));
  EXPECT_EQ(ReadFileBytes(target), program);
  EXPECT_THAT(ListDir(local), ElementsAre("prog.exe"));
}

// A copy whose signature was checked is held so that nobody can write it,
// and is put in the program's place while held.
TEST_F(CopyFileVerifiedWin32, ACopyHeldByItsSignatureCheckCannotBeWrittenButTakesTheProgramsPlace) {
  const std::string copy = TemporaryCopyName(target, GetCurrentProcessId());
  test::CopyFileTo(test::BinDir() + "\\target_v1014.exe", copy);
  WindowsSignatureReader signatures;
  ASSERT_TRUE(signatures.ReadHolding(copy));
  EXPECT_FALSE(UniqueFile(CreateFileW(Widen(copy).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                      FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr)));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_SHARING_VIOLATION});
  EXPECT_EQ(system.MoveOver(copy, target), std::nullopt);
  signatures.LetGo();
  EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(test::BinDir() + "\\target_v1014.exe"));
  EXPECT_THAT(ListDir(local), ElementsAre("prog.exe"));
}

// A virus scanner checking the fresh copy for longer than an installed
// file is waited for (FileRetry.h).
TEST_F(CopyFileVerifiedWin32, ACopyHeldForTwoSecondsStillTakesTheProgramsPlace) {
  const std::string copy = TemporaryCopyName(target, GetCurrentProcessId());
  WriteFileBytes(copy, kNew);
  ForeignLock scanner(copy);
  std::thread holder([&scanner] {
    Sleep(2000);
    scanner.Release();
  });
  EXPECT_EQ(system.MoveOver(copy, target), std::nullopt);
  holder.join();
  EXPECT_EQ(ReadFileBytes(target), kNew);
}

// A run ended between its two renames left the program only under the
// moved-aside name: the next look at the leftovers puts it back.
TEST_F(CopyFileVerifiedWin32, AProgramMovedAsideByARunThatEndedComesBackUnderItsName) {
  test::Process gone(test::BinDir() + "\\locker.exe", "locker.exe");
  gone.Wait(10000);
  ASSERT_TRUE(MoveFileW(Widen(target).c_str(), Widen(MovedAsideName(target, gone.id())).c_str()));
  system.RemoveLeftovers(target);
  EXPECT_EQ(ReadFileBytes(target), kOld);
  EXPECT_THAT(ListDir(local), ElementsAre("prog.exe"));
}

TEST_F(CopyFileVerifiedWin32, LeftoversOfEndedRunsGoThoseOfRunningOnesStay) {
  test::Process gone(test::BinDir() + "\\locker.exe", "locker.exe");  // ends at once without a path
  gone.Wait(10000);
  ForeignLock live(dir / "held");
  // This run's own id was an earlier run's too: its leftovers go.
  for (const std::string& leftover : {TemporaryCopyName(target, GetCurrentProcessId()), TemporaryCopyName(target, ~0u),
                                      MovedAsideName(target, GetCurrentProcessId()),
                                      TemporaryCopyName(target, gone.id()), MovedAsideName(target, live.processId())}) {
    WriteFileBytes(leftover, "half");
    SetReadOnly(leftover);
  }
  EXPECT_TRUE(Copy(system, source, local + "/prog.exe"));  // found by a forward slash too
  EXPECT_EQ(ReadFileBytes(target), kNew);
  EXPECT_THAT(ListDir(local), ElementsAre("prog.exe", ::testing::EndsWith(".kolvex-old")));  // the running one's
}

// A copy that breaks off after writing half of the file: a disk that fills
// up, or a share that goes away.
class BrokenOffCopy : public WindowsCopySystem {
 public:
  explicit BrokenOffCopy(DWORD error) : error_(error) {}
  std::optional<std::string> Copy(const std::string& from, const std::string& to, const CopyProgress&) override {
    const std::string bytes = ReadFileBytes(from);
    WriteFileBytes(to, bytes.substr(0, bytes.size() / 2));
    if (error_ == ERROR_SUCCESS) return std::nullopt;
    SetLastError(error_);
    return GetLastErrorString();
  }

 private:
  DWORD error_;
};

TEST_F(CopyFileVerifiedWin32, CopyBrokenOffHalfWayLeavesTheTargetByteForByte) {
  BrokenOffCopy diskFull(ERROR_DISK_FULL);
  EXPECT_FALSE(Copy(diskFull, source, target));
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", GetErrorString(ERROR_DISK_FULL))));
  EXPECT_EQ(ReadFileBytes(target), kOld);
  EXPECT_THAT(ListDir(local), ElementsAre("prog.exe"));
}

TEST_F(CopyFileVerifiedWin32, ShortCopyReportedAsDoneIsCaughtBeforeItReplacesTheTarget) {
  BrokenOffCopy silentlyShort(ERROR_SUCCESS);
  EXPECT_FALSE(Copy(silentlyShort, source, target));
  const std::string sizeDiffers = "Rozmiar po skopiowaniu pliku jest różny od rozmiaru pliku źródłowego.";
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", sizeDiffers)));
  EXPECT_EQ(ReadFileBytes(target), kOld);
  EXPECT_THAT(ListDir(local), ElementsAre("prog.exe"));
}

}  // namespace
}  // namespace kolvex
