#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <stdexcept>

#include "files/CopyVerified.h"

namespace kolvex {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr char kSource[] = "S:\\shared\\prog.exe";
constexpr char kTarget[] = "C:\\Prog\\prog.exe";
constexpr char kTemporary[] = "C:\\Prog\\~prog.exe.77.kolvex-tmp";
constexpr char kDiskFull[] = "Za mało miejsca na dysku.\r\n";
constexpr char kSizeDiffers[] = "Rozmiar po skopiowaniu pliku jest różny od rozmiaru pliku źródłowego.";
constexpr char kSharingViolation[] = "Proces nie może uzyskać dostępu do pliku.\r\n";

std::string Message(const std::string& name, const std::string& reason) {
  return "Błąd kopiowania pliku: " + name + "\r\r" + reason;
}

// Files as a map from path to contents; sizes may be set apart from the
// contents for files too large to hold. Every question asked is logged.
class FakeSystem : public CopySystem {
 public:
  std::map<std::string, std::string> files;
  std::map<std::string, int64_t> sizes;
  std::map<char, bool> driveReady{{'A', true}, {'B', true}};
  int64_t freeKB = 1 << 20;
  int64_t floppyFreeBytes = 1457664;
  std::optional<std::string> copyError, moveError;
  std::function<void(const std::string& from, const std::string& to)> copyDoes;  // instead of copying
  std::function<void(const std::string& call)> onCall;                           // may throw
  std::vector<std::string> calls;

  bool IsDriveReady(char letter) override {
    Log(std::string("IsDriveReady ") + letter);
    return driveReady.at(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
  }
  bool FileExists(const std::string& path) override {
    Log("FileExists " + path);
    return files.count(path) != 0;
  }
  int64_t GetFileSizeByName(const std::string& path) override {
    Log("GetFileSizeByName " + path);
    if (sizes.count(path)) return sizes.at(path);
    return files.count(path) ? static_cast<int64_t>(files.at(path).size()) : -1;
  }
  int64_t GetFreeSpaceKB(const std::string& path) override {
    Log("GetFreeSpaceKB " + path);
    return freeKB;
  }
  int64_t GetFloppyFreeBytes(char letter) override {
    Log(std::string("GetFloppyFreeBytes ") + letter);
    return floppyFreeBytes;
  }
  std::optional<std::string> Copy(const std::string& from, const std::string& to, const CopyProgress&) override {
    Log("Copy " + from + " -> " + to);
    if (copyDoes) {
      copyDoes(from, to);
    } else if (!copyError) {
      files[to] = files.at(from);
      if (sizes.count(from)) sizes[to] = sizes.at(from);
    }
    return copyError;
  }
  std::optional<std::string> MoveOver(const std::string& from, const std::string& to) override {
    Log("MoveOver " + from + " -> " + to);
    if (moveError) return moveError;
    files[to] = files.at(from);
    files.erase(from);
    if (sizes.count(from)) sizes[to] = sizes.at(from);
    sizes.erase(from);
    return std::nullopt;
  }
  bool IsHeldOpen(const std::string&) override { return false; }
  void Remove(const std::string& path) noexcept override {
    calls.push_back("Remove " + path);
    files.erase(path);
    sizes.erase(path);
  }
  void RemoveLeftovers(const std::string& destination) noexcept override {
    calls.push_back("RemoveLeftovers " + destination);
    std::erase_if(files, [&](const auto& file) { return file.first.starts_with("C:\\Prog\\~"); });
  }
  uint32_t ProcessId() override { return 77; }
  void CreateDirectories(const std::string& base, const std::string& name) override {
    Log("CreateDirectories " + base + " " + name);
  }

 private:
  void Log(const std::string& call) {
    calls.push_back(call);
    if (onCall) onCall(call);
  }
};

class CopyFileVerifiedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system.files[kSource] = std::string(1000, 'n');
    system.files[kTarget] = "old program";
  }

  bool Copy(const std::string& source = kSource, const std::string& destination = kTarget) {
    return CopyFileVerified(source, destination, system,
                            [this](const std::string& text) {
                              shown.push_back(text);
                              system.calls.push_back("Show");
                            },
                            accept) == CopyResult::Copied;
  }

  const std::string& contents(const std::string& path) { return system.files.at(path); }

  // The failure left the target as it was and no temporary file.
  void ExpectTargetUntouched() {
    EXPECT_EQ(system.files.at(kTarget), "old program");
    EXPECT_EQ(system.files.count(kTemporary), 0u);
  }

  FakeSystem system;
  std::vector<std::string> shown;
  CopyAcceptance accept;
};

TEST_F(CopyFileVerifiedTest, CopiesOverTheTargetWithoutAWord) {
  EXPECT_TRUE(Copy());
  EXPECT_THAT(shown, IsEmpty());
  EXPECT_EQ(system.files.at(kTarget), std::string(1000, 'n'));
  EXPECT_EQ(system.files.count(kTemporary), 0u);
}

TEST_F(CopyFileVerifiedTest, FloppySourceNotReadyIsToldWithoutAskingForTheFile) {
  system.driveReady['A'] = false;
  EXPECT_FALSE(Copy("a:\\prog.exe", kTarget));
  EXPECT_THAT(system.calls, ElementsAre("IsDriveReady a", "Show"));
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", "Brak dyskietki źródłowej w stacji.")));
}

TEST_F(CopyFileVerifiedTest, MissingSourceIsNeverCopied) {
  EXPECT_FALSE(Copy("C:\\nowhere\\prog.exe", kTarget));
  EXPECT_THAT(system.calls, ElementsAre("FileExists C:\\nowhere\\prog.exe", "Show"));
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", "Brak pliku źródłowego.")));
  ExpectTargetUntouched();
}

TEST_F(CopyFileVerifiedTest, FloppyTargetNotReady) {
  system.driveReady['B'] = false;
  EXPECT_FALSE(Copy(kSource, "B:\\prog.exe"));
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", "Brak dyskietki w stacji.")));
  EXPECT_THAT(system.calls, Not(testing::Contains(HasSubstr("Copy"))));
}

TEST_F(CopyFileVerifiedTest, FloppyNeedsTheSourceSizePlus100Bytes) {
  system.floppyFreeBytes = 1099;
  EXPECT_FALSE(Copy(kSource, "A:\\prog.exe"));
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", "Brak miejsca na dyskietce.")));
  EXPECT_EQ(system.files.count("A:\\prog.exe"), 0u);

  shown.clear();
  system.floppyFreeBytes = 1100;
  EXPECT_TRUE(Copy(kSource, "A:\\prog.exe"));
  EXPECT_THAT(shown, IsEmpty());
  EXPECT_EQ(system.files.at("A:\\prog.exe"), system.files.at(kSource));
}

TEST_F(CopyFileVerifiedTest, FailedFloppySpaceQueryMeansNoRoom) {
  system.floppyFreeBytes = -1;
  EXPECT_FALSE(Copy(kSource, "a:\\prog.exe"));
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", "Brak miejsca na dyskietce.")));
}

TEST_F(CopyFileVerifiedTest, DiskNeedsTheSourceSizeIn1024ByteUnits) {
  system.sizes[kSource] = 10485760;  // 10240 units
  system.freeKB = 10239;
  EXPECT_FALSE(Copy());
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", "Brak miejsca na dysku docelowym.")));
  ExpectTargetUntouched();

  shown.clear();
  system.freeKB = 10240;
  EXPECT_TRUE(Copy());
  EXPECT_THAT(shown, IsEmpty());
}

TEST_F(CopyFileVerifiedTest, SourceBelow1024BytesNeverFailsTheSpaceTest) {
  system.files[kSource] = std::string(1023, 'n');
  system.freeKB = 1;
  EXPECT_TRUE(Copy());
  EXPECT_THAT(shown, IsEmpty());
}

TEST_F(CopyFileVerifiedTest, FailedOrZeroSpaceQuerySkipsTheSpaceTest) {
  system.sizes[kSource] = 10485760;
  for (const int64_t freeKB : {int64_t{0}, int64_t{-1}}) {
    system.freeKB = freeKB;
    system.copyError = kDiskFull;
    system.calls.clear();
    EXPECT_FALSE(Copy());
    EXPECT_THAT(system.calls, testing::Contains(HasSubstr("Copy ")));
  }
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", kDiskFull), Message("prog.exe", kDiskFull)));
  ExpectTargetUntouched();
}

TEST_F(CopyFileVerifiedTest, LargeFilesAndLargeDisksAreMeasuredTrulyNotWrapped) {
  const int64_t threeGiB = int64_t{3} << 30;
  system.sizes[kSource] = threeGiB;
  system.freeKB = int64_t{4} << 30;  // 4 TiB
  EXPECT_TRUE(Copy());
  system.freeKB = (int64_t{2} << 20) + 1;  // 2 GiB and a bit: too little
  EXPECT_FALSE(Copy());
  system.floppyFreeBytes = threeGiB + 100;
  EXPECT_TRUE(Copy(kSource, "B:\\prog.exe"));
  system.floppyFreeBytes = threeGiB + 99;
  EXPECT_FALSE(Copy(kSource, "B:\\prog.exe"));
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", "Brak miejsca na dysku docelowym."),
                                 Message("prog.exe", "Brak miejsca na dyskietce.")));
}

TEST_F(CopyFileVerifiedTest, TruncatedLargeCopyIsCaught) {
  system.sizes[kSource] = int64_t{3} << 30;
  system.freeKB = int64_t{1} << 30;
  system.copyDoes = [this](const std::string&, const std::string& to) {
    system.files[to] = "part";
    system.sizes[to] = int64_t{5} << 29;  // 2.5 GiB: the same as 3 GiB when both are clipped to 2^31-1
  };
  EXPECT_FALSE(Copy());
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", kSizeDiffers)));
  ExpectTargetUntouched();
}

TEST_F(CopyFileVerifiedTest, FailedCopyGivesTheSystemText) {
  system.copyError = kSharingViolation;
  EXPECT_FALSE(Copy());
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", kSharingViolation)));
  ExpectTargetUntouched();
}

TEST_F(CopyFileVerifiedTest, CopyThatLeavesNoFile) {
  system.copyDoes = [](const std::string&, const std::string&) {};
  EXPECT_FALSE(Copy());
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", "Nie odnaleziono pliku po skopiowaniu.")));
  ExpectTargetUntouched();
}

TEST_F(CopyFileVerifiedTest, CopyOfAnotherSize) {
  system.copyDoes = [this](const std::string& from, const std::string& to) { system.files[to] = contents(from) + "x"; };
  EXPECT_FALSE(Copy());
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", kSizeDiffers)));
  ExpectTargetUntouched();
}

TEST_F(CopyFileVerifiedTest, CopyBrokenOffHalfWayLeavesTheTargetByteForByte) {
  system.copyDoes = [this](const std::string& from, const std::string& to) {
    system.files[to] = contents(from).substr(0, contents(from).size() / 2);
  };
  system.copyError = kDiskFull;
  EXPECT_FALSE(Copy());
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", kDiskFull)));
  ExpectTargetUntouched();
}

TEST_F(CopyFileVerifiedTest, FailedReplacementGivesItsSystemTextAndRemovesTheCopy) {
  system.moveError = kSharingViolation;
  EXPECT_FALSE(Copy());
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", kSharingViolation)));
  ExpectTargetUntouched();
}

TEST_F(CopyFileVerifiedTest, ChecksMeasureTheCopyBeforeItReplacesTheTarget) {
  EXPECT_TRUE(Copy());
  EXPECT_THAT(system.calls,
              ElementsAre("FileExists S:\\shared\\prog.exe", "GetFileSizeByName S:\\shared\\prog.exe",
                          "GetFreeSpaceKB C:\\Prog\\prog.exe", "RemoveLeftovers C:\\Prog\\prog.exe",
                          std::string("Remove ") + kTemporary,  // the copy is made new
                          std::string("Copy S:\\shared\\prog.exe -> ") + kTemporary,
                          std::string("FileExists ") + kTemporary, std::string("GetFileSizeByName ") + kTemporary,
                          std::string("MoveOver ") + kTemporary + " -> " + kTarget));
}

TEST_F(CopyFileVerifiedTest, ExceptionShowsTheCurrentReasonAndGoesOn) {
  system.onCall = [](const std::string& call) {
    if (call.starts_with("GetFreeSpaceKB")) throw std::runtime_error("out of memory");
  };
  EXPECT_THROW(
      {
        try {
          Copy();
        } catch (const std::runtime_error& e) {
          EXPECT_STREQ(e.what(), "out of memory");
          throw;
        }
      },
      std::runtime_error);
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", "Nieznany błąd.")));
  EXPECT_EQ(system.calls.back(), "Show");
}

TEST_F(CopyFileVerifiedTest, ExceptionAfterTheCopyRemovesItAndSparesTheTarget) {
  system.onCall = [](const std::string& call) {
    if (call == std::string("GetFileSizeByName ") + kTemporary) throw std::runtime_error("gone");
  };
  EXPECT_THROW(Copy(), std::runtime_error);
  EXPECT_THAT(shown, ElementsAre(Message("prog.exe", "Nieznany błąd.")));
  ExpectTargetUntouched();
}

TEST_F(CopyFileVerifiedTest, MessageNamesThePartAfterTheLastBackslashOrColon) {
  const std::string reason = "Brak pliku źródłowego.";
  Copy("C:\\Prog\\missing.exe");
  Copy("D:missing.exe");
  Copy("\\\\srv\\share\\dir\\missing.exe");
  Copy("//srv/share/dir/missing.exe");
  Copy("missing.exe");
  EXPECT_THAT(
      shown, ElementsAre(Message("missing.exe", reason), Message("missing.exe", reason), Message("missing.exe", reason),
                         Message("//srv/share/dir/missing.exe", reason), Message("missing.exe", reason)));
  EXPECT_EQ(shown[0], "Błąd kopiowania pliku: missing.exe\r\rBrak pliku źródłowego.");
}

TEST_F(CopyFileVerifiedTest, ARefusedCopyIsRemovedSilentlyAndTheTargetSpared) {
  std::string judged;
  accept = [&](const std::string& copy) { return (judged = copy + " " + system.files.at(copy)).empty(); };
  EXPECT_FALSE(Copy());
  EXPECT_EQ(judged, std::string(kTemporary) + " " + std::string(1000, 'n'));
  EXPECT_THAT(shown, IsEmpty());
  ExpectTargetUntouched();
}

TEST(TemporaryCopyName, BesideTheTargetOwnedByOneRunAndKnownAsALeftover) {
  EXPECT_EQ(TemporaryCopyName("C:prog.exe", 1234), "C:~prog.exe.1234.kolvex-tmp");
  EXPECT_EQ(MovedAsideName("C:\\a/prog.exe", 77), "C:\\a/~prog.exe.77.kolvex-old");
  EXPECT_EQ(LeftoverPattern("//srv/prog.exe"), "//srv/~prog.exe.*");
  EXPECT_EQ(LeftoverOwner("prog.exe", "~prog.exe.1234.kolvex-tmp"), 1234u);
  EXPECT_EQ(LeftoverOwner("prog.exe", "~PROG.EXE.4294967295.kolvex-old"), 4294967295u);
  for (const char* other : {"~prog.exe..kolvex-tmp", "~prog.exe.12a.kolvex-tmp", "~prog.exe.kolvex-tmp", "~PROG~1.KOL",
                            "~prog.exe.1.2.kolvex-tmp", "~prog.exeOLD.1.kolvex-tmp", "~rog.exe.1.kolvex-tmp",
                            "prog.exe.1.kolvex-tmp", "~prog.exe.1.kolvex-tmpx", "~prog.exe.4294967296.kolvex-old"})
    EXPECT_FALSE(LeftoverOwner("prog.exe", other)) << other;
}

}  // namespace
}  // namespace kolvex
