#include "update/Backup.h"

#include <gtest/gtest.h>

namespace kolvex {
namespace {

TEST(BackupName, FollowsTheExtensionGivenToTheUpdate) {
  EXPECT_EQ(BackupName("C:\\app\\prog.EXE", ".EXE"), "C:\\app\\prog.EXEOLD");
  EXPECT_EQ(BackupName("C:\\app\\help.HLP", ".HLP"), "C:\\app\\help.HLPOLD");
  EXPECT_EQ(BackupName("C:\\app\\help.CNT", ".CNT"), "C:\\app\\help.CNTOLD");
  EXPECT_EQ(BackupName("C:\\app\\help.CHM", ".CHM"), "C:\\app\\help.CHMOLD");
  EXPECT_EQ(BackupName("C:\\app\\prog.exe", ""), "C:\\app\\prog.exeOLD");
  EXPECT_EQ(BackupName("C:\\app\\README", ""), "C:\\app\\READMEOLD");
  // Exact comparison: anything else, other case included, keeps no backup.
  for (const char* ext : {".exe", ".Exe", ".DLL", ".EXEOLD", "EXE", ".EXE "}) {
    EXPECT_EQ(BackupName("C:\\app\\prog.exe", ext), "") << ext;
  }
  // The extension is taken from the file name only, never from a directory.
  EXPECT_EQ(BackupName("C:\\app.d\\prog", ".EXE"), "C:\\app.d\\prog.EXEOLD");
}

}  // namespace
}  // namespace kolvex
