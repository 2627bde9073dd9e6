// WindowsCopySystem's probes against the real system. Under Wine, C: and Z:
// are mapped, A: and P: are not, and there is no network.
#include <gtest/gtest.h>

#include <climits>

#include "common/Exceptions.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "files/Probes.h"
#include "files/WindowsCopySystem_win32.h"
#include "support/TestSupport.h"

namespace kolvex {
namespace {

using test::ForeignLock;
using test::TempDir;
using test::WriteFileBytes;

// What the system says about a root, read apart from the probe.
DiskSpace SpaceOf(const wchar_t* root) {
  DWORD sectors = 0, bytes = 0, freeClusters = 0, total = 0;
  EXPECT_TRUE(GetDiskFreeSpaceW(root, &sectors, &bytes, &freeClusters, &total));
  return DiskSpace{sectors, bytes, freeClusters};
}

WindowsCopySystem probes;

// Other programs write to the same disk meanwhile: allow 256 MiB of drift.
constexpr int64_t kDriftKB = 256 * 1024;

TEST(IsFloppyPath, AgreesWithTheLocalesUpperCase) {
  for (const char* path : {"A:\\x.exe", "a:\\x.exe", "B:\\x.exe", "backup\\x.exe", "C:\\x.exe", "\\\\srv\\s\\x",
                           "//srv/s/x", "", "ą:\\x", "Ą:", "ß", "\u0250:"}) {
    std::wstring upper = Widen(path);
    UpperCase(upper);
    const bool found = upper.starts_with(L"A:") || upper.starts_with(L"B:");
    EXPECT_EQ(IsFloppyPath(path), found) << path;
  }
}

TEST(GetFileSizeByName, MeasuresFilesThatCanBeRead) {
  TempDir dir;
  WriteFileBytes(dir / "empty", "");
  WriteFileBytes(dir / "some", std::string(12345, 'x'));
  EXPECT_EQ(probes.GetFileSizeByName(dir / "empty"), 0);
  EXPECT_EQ(probes.GetFileSizeByName(dir / "some"), 12345);
  EXPECT_EQ(probes.GetFileSizeByName(dir / "missing"), -1);
  EXPECT_EQ(probes.GetFileSizeByName(dir.path()), -1);  // a directory
}

TEST(GetFileSizeByName, FileHeldOpenForWritingElsewhereIsNotMeasured) {
  TempDir dir;
  WriteFileBytes(dir / "busy", "data");
  {
    ForeignLock lock(dir / "busy");
    EXPECT_EQ(probes.GetFileSizeByName(dir / "busy"), -1);
  }
  EXPECT_EQ(probes.GetFileSizeByName(dir / "busy"), 4);  // and no handle of ours was left open on it
}

TEST(GetFileSizeByName, FilesOf2GiBAndMoreKeepTheirSize) {
  TempDir dir;
  const std::string big = dir / "big.bin";
  {
    // Set by its end only: sparse, it takes no room on the disk.
    const UniqueFile file(
        CreateFileW(Widen(big).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    LARGE_INTEGER end{};
    end.QuadPart = (int64_t{3} << 30) + 5;
    ASSERT_TRUE(SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()));
  }
  EXPECT_EQ(probes.GetFileSizeByName(big), (int64_t{3} << 30) + 5);
}

TEST(IsDriveReady, DriveWithoutMediumIsNotReadyAndTheErrorModeComesBack) {
  const UINT original = SetErrorMode(SEM_NOGPFAULTERRORBOX);
  EXPECT_FALSE(probes.IsDriveReady('A'));
  EXPECT_FALSE(probes.IsDriveReady('a'));
  EXPECT_FALSE(probes.IsDriveReady('P'));
  EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
  EXPECT_TRUE(probes.IsDriveReady('C'));
  EXPECT_TRUE(probes.IsDriveReady('c'));
  EXPECT_TRUE(probes.IsDriveReady('z'));
  EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
  SetErrorMode(original);
}

TEST(IsDriveReady, AnythingButALetterRaises) {
  for (const char c : {'1', '@', '[', '`', '{', ' ', '\0', '\xc4'}) {
    try {
      probes.IsDriveReady(c);
      ADD_FAILURE() << "no exception for code " << static_cast<int>(static_cast<unsigned char>(c));
    } catch (const EConvertError& e) {
      EXPECT_STREQ(e.what(), "Błędny identyfikator napędu.");
    }
  }
}

TEST(GetFreeSpaceKB, DriveRootsOfTheFirstCharacter) {
  const int64_t c = SpaceOf(L"C:\\").FreeKB();
  ASSERT_GT(c, 0);
  EXPECT_NEAR(probes.GetFreeSpaceKB("C:\\Prog\\a.exe"), c, kDriftKB);
  EXPECT_NEAR(probes.GetFreeSpaceKB("c:\\prog\\a.exe"), c, kDriftKB);
  EXPECT_NEAR(probes.GetFreeSpaceKB("zprog\\a.exe"), SpaceOf(L"Z:\\").FreeKB(), kDriftKB);
  EXPECT_NEAR(probes.GetFreeSpaceKB("@"), SpaceOf(nullptr).FreeKB(), kDriftKB);
  EXPECT_EQ(probes.GetFreeSpaceKB("prog\\a.exe"), -1);  // p:\ is no drive
  EXPECT_EQ(probes.GetFreeSpaceKB("A:\\a.exe"), -1);
}

TEST(GetFreeSpaceKB, NetworkRootsThatDoNotAnswerGiveMinusOne) {
  EXPECT_EQ(probes.GetFreeSpaceKB("//srv/share/dir/a.exe"), -1);
  EXPECT_EQ(probes.GetFreeSpaceKB("\\\\srv\\share\\dir\\a.exe"), -1);
  EXPECT_EQ(probes.GetFreeSpaceKB("\\\\srv"), -1);  // no share: the root ends in two backslashes
  EXPECT_EQ(probes.GetFreeSpaceKB("//srv"), -1);
}

TEST(GetFloppyFreeBytes, FreeBytesOrMinusOne) {
  EXPECT_EQ(probes.GetFloppyFreeBytes('A'), -1);
  EXPECT_EQ(probes.GetFloppyFreeBytes('b'), -1);
  const int64_t c = SpaceOf(L"C:\\").FreeBytes();
  EXPECT_NEAR(probes.GetFloppyFreeBytes('c'), c, kDriftKB * 1024);
  EXPECT_NEAR(probes.GetFloppyFreeBytes('@'), SpaceOf(nullptr).FreeBytes(), kDriftKB * 1024);
  // A disk with more than 2 GiB free is counted, not wrapped (as 32 bits would).
  if (c > INT_MAX) {
    EXPECT_GT(probes.GetFloppyFreeBytes('C'), INT_MAX);
  }
}

}  // namespace
}  // namespace kolvex
