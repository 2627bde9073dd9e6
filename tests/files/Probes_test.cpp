#include "files/Probes.h"

#include <gtest/gtest.h>

#include <limits>

namespace kolvex {
namespace {

TEST(IsFloppyPath, DriveAOrBInEitherCase) {
  for (const char* path : {"A:\\x.exe", "a:\\x.exe", "B:\\x.exe", "b:x.exe", "A:"})
    EXPECT_TRUE(IsFloppyPath(path)) << path;
  for (const char* path : {"C:\\x.exe", "\\\\a\\b\\x.exe", "//a/b/x.exe", "", " a:\\x.exe", "\xc4\x85:\\x.exe",
                           "backup\\x.exe", "baza\\wsp\xc3\xb3lne", "aktualizacje", "a", "ab:\\x"})
    EXPECT_FALSE(IsFloppyPath(path)) << path;
}

TEST(FreeSpaceRoot, DriveLetterOfTheFirstCharacterCaseKept) {
  EXPECT_EQ(FreeSpaceRoot("C:\\Prog\\a.exe"), "C:\\");
  EXPECT_EQ(FreeSpaceRoot("c:\\prog\\a.exe"), "c:\\");
  EXPECT_EQ(FreeSpaceRoot("prog\\a.exe"), "p:\\");
  EXPECT_EQ(FreeSpaceRoot("C"), "C:\\");
}

TEST(FreeSpaceRoot, NetworkRootFromFieldsThreeAndFour) {
  EXPECT_EQ(FreeSpaceRoot("//srv/share/dir/a.exe"), "//srv/share/");
  EXPECT_EQ(FreeSpaceRoot("\\\\srv\\share\\dir\\a.exe"), "\\\\srv\\share\\");
  EXPECT_EQ(FreeSpaceRoot("\\\\srv\\share\\a.exe"), "\\\\srv\\share\\");
  // Only the first character chooses the separator.
  EXPECT_EQ(FreeSpaceRoot("/\\srv/share/x"), "//share/x/");
  EXPECT_EQ(FreeSpaceRoot("\\/srv\\share\\x"), "\\\\share\\x\\");
}

TEST(FreeSpaceRoot, NetworkPathWithoutShareEndsInTwoSeparators) {
  EXPECT_EQ(FreeSpaceRoot("\\\\srv"), "\\\\srv\\\\");
  EXPECT_EQ(FreeSpaceRoot("//srv/"), "//srv//");
  EXPECT_EQ(FreeSpaceRoot("//"), "////");
}

TEST(FreeSpaceRoot, AtSignIsTheCurrentDriveAndEmptyPathAnEmptyRoot) {
  EXPECT_EQ(FreeSpaceRoot("@"), std::nullopt);
  EXPECT_EQ(FreeSpaceRoot("@:\\x"), std::nullopt);
  EXPECT_EQ(FreeSpaceRoot(""), "");
}

TEST(DriveRoot, LetterAsItStandsOrCurrentDrive) {
  EXPECT_EQ(DriveRoot('a'), "a:\\");
  EXPECT_EQ(DriveRoot('B'), "B:\\");
  EXPECT_EQ(DriveRoot('@'), std::nullopt);
}

TEST(DiskSpace, FreeClustersCountInGroupsOf1024BeforeTheMultiplication) {
  EXPECT_EQ((DiskSpace{8, 512, 5000}.FreeKB()), 16384);
  EXPECT_EQ((DiskSpace{8, 512, 1023}.FreeKB()), 0);
  EXPECT_EQ((DiskSpace{64, 512, 1023}.FreeKB()), 0);
  EXPECT_EQ((DiskSpace{1, 512, 2048}.FreeKB()), 1024);
  EXPECT_EQ((DiskSpace{8, 512, 5000}.FreeBytes()), 20480000);
  EXPECT_EQ((DiskSpace{1, 512, 0}.FreeBytes()), 0);
}

TEST(DiskSpace, LargeDisksKeepTheirFigureInsteadOfWrapping) {
  // 4 KiB clusters, 2^32-1 free: about 16 TiB, which 32 bits would wrap.
  EXPECT_EQ((DiskSpace{8, 512, 0xFFFFFFFFu}.FreeKB()), int64_t{4096} * (0xFFFFFFFFu >> 10));
  EXPECT_EQ((DiskSpace{8, 512, 0xFFFFFFFFu}.FreeBytes()), int64_t{4096} * 0xFFFFFFFFu);
  // A floppy-style count past 2 GiB stays positive.
  EXPECT_EQ((DiskSpace{1, 512, 0x00800000u}.FreeBytes()), int64_t{1} << 32);
  // Nonsense from the system saturates rather than overflowing.
  constexpr uint32_t kMax = 0xFFFFFFFFu;
  EXPECT_EQ((DiskSpace{kMax, kMax, kMax}.FreeBytes()), std::numeric_limits<int64_t>::max());
  EXPECT_EQ((DiskSpace{kMax, kMax, kMax}.FreeKB()), std::numeric_limits<int64_t>::max());
}

}  // namespace
}  // namespace kolvex
