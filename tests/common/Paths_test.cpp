#include "common/Paths.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace kolvex {
namespace {

TEST(JoinPath, EmptyDirectoryGivesNameUnchanged) {
  EXPECT_EQ(JoinPath("", "prog.exe"), "prog.exe");
  EXPECT_EQ(JoinPath("", "\\x"), "\\x");
}

TEST(JoinPath, AddsBackslashOnlyWhenMissing) {
  EXPECT_EQ(JoinPath("C:\\Prog", "prog.exe"), "C:\\Prog\\prog.exe");
  EXPECT_EQ(JoinPath("C:\\Prog\\", "prog.exe"), "C:\\Prog\\prog.exe");
  EXPECT_EQ(JoinPath("C:", "prog.exe"), "C:\\prog.exe");
  EXPECT_EQ(JoinPath("\\\\srv\\share", "a.exe"), "\\\\srv\\share\\a.exe");
  EXPECT_EQ(JoinPath("prog", "a.exe"), "prog\\a.exe");
}

TEST(JoinPath, ForwardSlashFollowsFirstCharacterOnly) {
  EXPECT_EQ(JoinPath("//srv/share", "a.exe"), "//srv/share/a.exe");
  EXPECT_EQ(JoinPath("//srv/share/", "a.exe"), "//srv/share/a.exe");
  EXPECT_EQ(JoinPath("/srv\\", "a"), "/srv\\/a");
  EXPECT_EQ(JoinPath("C:/x/", "a"), "C:/x/\\a");
}

TEST(JoinPath, NameIsNeverCleaned) {
  EXPECT_EQ(JoinPath("C:\\Prog", "\\prog.exe"), "C:\\Prog\\\\prog.exe");
  EXPECT_EQ(JoinPath("C:\\Prog", ""), "C:\\Prog\\");
}

TEST(ExtractFileDir, KeepsDriveRootsOnly) {
  EXPECT_EQ(ExtractFileDir("C:\\Prog\\Kolvex.exe"), "C:\\Prog");
  EXPECT_EQ(ExtractFileDir("C:\\Kolvex.exe"), "C:\\");
  EXPECT_EQ(ExtractFileDir("C:Kolvex.exe"), "C:");
  EXPECT_EQ(ExtractFileDir("\\\\srv\\share\\Kolvex.exe"), "\\\\srv\\share");
  EXPECT_EQ(ExtractFileDir("Kolvex.exe"), "");
}

TEST(ExtractFileName, AfterLastBackslashOrColon) {
  EXPECT_EQ(ExtractFileName("C:\\Prog\\prog.exe"), "prog.exe");
  EXPECT_EQ(ExtractFileName("C:prog.exe"), "prog.exe");
  EXPECT_EQ(ExtractFileName("//srv/share/prog.exe"), "//srv/share/prog.exe");
  EXPECT_EQ(ExtractFileName("dir\\"), "");
}

TEST(ChangeFileExt, ReplacesOnlyTheLastExtensionOfTheName) {
  EXPECT_EQ(ChangeFileExt("C:\\a\\prog.exe", ".EXEOLD"), "C:\\a\\prog.EXEOLD");
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\prog", ".DLL"), "C:\\a.b\\prog.DLL");
  EXPECT_EQ(ChangeFileExt("x.tar.gz", ".LOG"), "x.tar.LOG");
  EXPECT_EQ(ChangeFileExt("_updatefiles.set", ".LOG"), "_updatefiles.LOG");
}

TEST(SameFileName, FoldsTheCaseOfEuropeanLettersAndTheKindOfSlash) {
  struct Case {
    const char *a, *b;
    bool same;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"bin/Prog.EXE", "BIN\\prog.exe", true},
           {"Łódź.dll", "łÓDŹ.DLL", true},
           {"Ĺľ.x", "ĺĽ.x", true},  // the capital first, then the capital second
           {"ÿαςжё", "ŸΑΣЖЁ", true},
           {"÷", "×", false},  // no letters
           {"İ", "i", false},
           {"prog.exe", "prog.ex", false},
           {"a\xe0", "a\xc0", false},          // bytes of no character compare as themselves
       })
    EXPECT_EQ(SameFileName(c.a, c.b), c.same) << c.a << " / " << c.b;
}

}  // namespace
}  // namespace kolvex
