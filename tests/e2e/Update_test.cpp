// The launcher as a whole process, refreshing its target from the shared
// directory before it starts it: what is copied, kept and logged, and what
// is left alone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "e2e/UpdateSupport.h"
#include "support/Robot.h"

namespace kolvex::test {
namespace {

using ::testing::AnyOf;
using ::testing::ElementsAre;
using namespace std::string_literals;
using ::testing::StartsWith;
using ::testing::UnorderedElementsAre;

class UpdateTest : public ::testing::Test {
 protected:
  explicit UpdateTest(const std::string& dirName = "app") : app(dirName), shared(app / "SHARED") {}

  void SetUp() override { MakeDir(shared); }

  // Runs the launcher for target, which must end normally having started it.
  void RunAndExpectHandOff(const std::string& target = "prog.exe", const std::string& workDir = "") {
    const std::string targetDir = (app / target).substr(0, (app / target).find_last_of('\\'));
    DeleteFileW(Widen(targetDir + "\\target-run.txt").c_str());
    const ProcessResult run = app.RunLauncher(" " + target + " /x", 30000, workDir);
    ASSERT_TRUE(run.finished) << "the launcher hung";
    EXPECT_EQ(run.exitCode, 0u);
    const std::string record = app.WaitForTargetRecord(targetDir);
    EXPECT_NE(record.find(" \"/x\"\r\n"), std::string::npos) << "the target was not started: " << record;
  }

  Installation app;
  std::string shared;
  const std::string v1013 = FixtureBytes("target_v1013");
  const std::string v1014 = FixtureBytes("target_v1014");
  const std::string noVersion = FixtureBytes("target_noversion");
};

TEST_F(UpdateTest, SameVersionsCopyAndLogNothingEvenWhenTheContentsDiffer) {
  WriteFileBytes(app / "prog.exe", v1013);
  WriteFileBytes(shared + "\\prog.exe", v1013 + "a different build of the same version");
  RunAndExpectHandOff();
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1013);
  EXPECT_THAT(ListDir(app.dir()),
              UnorderedElementsAre("Kolvex.exe", "Kolvex.lock", "SHARED", "prog.exe", "target-run.txt"));
  EXPECT_TRUE(GetFileAttributesW(Widen(app / "Kolvex.lock").c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(UpdateTest, ANewerSharedVersionIsInstalledWithBackupAndOneLogLine) {
  WriteFileBytes(app / "prog.exe", v1013);
  WriteFileBytes(shared + "\\prog.exe", v1014);
  RunAndExpectHandOff();
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1014);
  EXPECT_EQ(ReadFileBytes(app / "prog.exeOLD"), v1013);
  EXPECT_EQ(ReadFileBytes(shared + "\\prog.exe"), v1014);
  EXPECT_THAT(LogTails(ReadUpdateLog(app.dir())), ElementsAre("prog.exe from [1.0.1.3] to [1.0.1.4]\r\n"));
  EXPECT_THAT(ListDir(app.dir()), UnorderedElementsAre("Kolvex.exe", "Kolvex.lock", "SHARED", "_updatefiles.LOG",
                                                       "prog.exe", "prog.exeOLD", "target-run.txt"));
}

TEST_F(UpdateTest, AnOlderSharedVersionReplacesTheNewerInstalledOne) {
  WriteFileBytes(app / "prog.exe", v1014);
  WriteFileBytes(shared + "\\prog.exe", v1013);
  RunAndExpectHandOff();
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1013);
  EXPECT_EQ(ReadFileBytes(app / "prog.exeOLD"), v1014);
  EXPECT_THAT(LogTails(ReadUpdateLog(app.dir())), ElementsAre("prog.exe from [1.0.1.4] to [1.0.1.3]\r\n"));
}

TEST_F(UpdateTest, AnOldBackupIsOverwritten) {
  WriteFileBytes(app / "prog.exe", v1013);
  WriteFileBytes(app / "prog.exeOLD", "left by an earlier update, and longer than the program it stands for" + v1014);
  WriteFileBytes(shared + "\\prog.exe", v1014);
  RunAndExpectHandOff();
  EXPECT_EQ(ReadFileBytes(app / "prog.exeOLD"), v1013);
}

TEST_F(UpdateTest, WithoutAnInstalledFileTheSharedOneIsCopiedAndLoggedAsBrak) {
  WriteFileBytes(shared + "\\prog.exe", v1014);
  RunAndExpectHandOff();
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1014);
  EXPECT_FALSE(FileExists(app / "prog.exeOLD"));
  EXPECT_THAT(LogTails(ReadUpdateLog(app.dir())), ElementsAre("prog.exe from [brak] to [1.0.1.4]\r\n"));
}

TEST_F(UpdateTest, WithoutASharedFileOnlyTheHandOffHappens) {
  WriteFileBytes(app / "prog.exe", v1013);
  RunAndExpectHandOff();
  EXPECT_THAT(ListDir(app.dir()),
              UnorderedElementsAre("Kolvex.exe", "Kolvex.lock", "SHARED", "prog.exe", "target-run.txt"));
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1013);

  // A directory of the target's name in the shared directory is no file either.
  MakeDir(shared + "\\prog.exe");
  RunAndExpectHandOff();
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1013);
  EXPECT_EQ(ReadUpdateLog(app.dir()), "");
}

TEST_F(UpdateTest, TwoFilesWithoutVersionInformationAreAlike) {
  WriteFileBytes(app / "prog.exe", noVersion);
  WriteFileBytes(shared + "\\prog.exe", noVersion + "other contents");
  RunAndExpectHandOff();
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), noVersion);
  EXPECT_FALSE(FileExists(app / "prog.exeOLD"));
  EXPECT_EQ(ReadUpdateLog(app.dir()), "");
}

TEST_F(UpdateTest, AFileWithVersionInformationAndOneWithoutDiffer) {
  WriteFileBytes(app / "prog.exe", noVersion);
  WriteFileBytes(shared + "\\prog.exe", v1014);
  RunAndExpectHandOff();
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1014);
  EXPECT_EQ(ReadFileBytes(app / "prog.exeOLD"), noVersion);

  WriteFileBytes(shared + "\\prog.exe", noVersion);
  RunAndExpectHandOff();
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), noVersion);
  EXPECT_EQ(ReadFileBytes(app / "prog.exeOLD"), v1014);
  EXPECT_THAT(LogTails(ReadUpdateLog(app.dir())),
              ElementsAre("prog.exe from [] to [1.0.1.4]\r\n", "prog.exe from [1.0.1.4] to []\r\n"));
}

TEST_F(UpdateTest, ATargetInASubDirectoryIsRefreshedFromTheSameSubDirectory) {
  MakeDir(app / "bin");
  MakeDir(shared + "\\bin");
  WriteFileBytes(app / "bin\\prog.exe", v1013);
  WriteFileBytes(shared + "\\prog.exe", noVersion);  // the same name one level up is not it
  WriteFileBytes(shared + "\\bin\\prog.exe", v1014);
  RunAndExpectHandOff("bin\\prog.exe");
  EXPECT_EQ(ReadFileBytes(app / "bin\\prog.exe"), v1014);
  EXPECT_EQ(ReadFileBytes(app / "bin\\prog.exeOLD"), v1013);
  EXPECT_FALSE(FileExists(app / "prog.exe"));
  // One log for the installation, beside the launcher; the line names the file only.
  EXPECT_FALSE(FileExists(app / "bin\\_updatefiles.LOG"));
  EXPECT_THAT(LogTails(ReadUpdateLog(app.dir())), ElementsAre("prog.exe from [1.0.1.3] to [1.0.1.4]\r\n"));
}

TEST_F(UpdateTest, TheLogGrowsByOneLineForEveryRefreshAndKeepsEarlierLines) {
  WriteFileBytes(app / "prog.exe", v1013);
  WriteFileBytes(shared + "\\prog.exe", v1014);
  RunAndExpectHandOff();
  const std::string first = ReadUpdateLog(app.dir());

  WriteFileBytes(shared + "\\prog.exe", v1013);
  RunAndExpectHandOff();
  const std::string second = ReadUpdateLog(app.dir());
  ASSERT_EQ(second.compare(0, first.size(), first), 0) << "an earlier line changed";

  RunAndExpectHandOff();  // nothing new to take: no line
  EXPECT_EQ(ReadUpdateLog(app.dir()), second);

  WriteFileBytes(shared + "\\prog.exe", v1014);
  RunAndExpectHandOff();
  const std::string third = ReadUpdateLog(app.dir());
  ASSERT_EQ(third.compare(0, second.size(), second), 0);
  EXPECT_THAT(LogTails(third), ElementsAre("prog.exe from [1.0.1.3] to [1.0.1.4]\r\n",
                                           "prog.exe from [1.0.1.4] to [1.0.1.3]\r\n",
                                           "prog.exe from [1.0.1.3] to [1.0.1.4]\r\n"));
}

// The listed components and the program in one run, with the user reading the
// warning about the entry refused and the progress window naming each file.
TEST_F(UpdateTest, TheListedComponentsAreRefreshedInOrderBeforeTheProgram) {
  WriteFileBytes(app / "baza.set",
                 "[SKLADNIKI]\r\na=prog.dll\r\nb = pomoc.hlp , 2 , Pomoc programu\r\nc=raporty\\wydruki.dll\r\n"
                 "d=stara.dll\r\ne=C:\\zly.dll\r\nf=PROG.exe,1,Program\r\n");
  for (const auto& [name, local, fresh] : {std::tuple{"prog.exe", v1013, v1014}, {"prog.dll", v1013, v1014},
                                          {"pomoc.hlp", "old help"s, "new help"s}, {"stara.dll", v1013, ""s}}) {
    WriteFileBytes(app / name, local);
    if (!fresh.empty()) WriteFileBytes(shared + "\\" + name, fresh);
  }
  MakeDir(shared + "\\raporty");
  WriteFileBytes(shared + "\\raporty\\wydruki.dll", v1014);
  {
    const UniqueFile help(CreateFileW(Widen(app / "pomoc.hlp").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    const FILETIME longAgo{0, 0x01C00000};  // in 2000: another day whatever the time zone
    ASSERT_TRUE(SetFileTime(help.get(), nullptr, nullptr, &longAgo));
  }

  const auto launcher = app.StartLauncher(" prog.exe /x");
  const HWND warning = WaitForWindow({.title = "Uwaga", .processId = launcher->id()}, 20000);
  ASSERT_TRUE(warning);
  const auto names = [](const ControlInfo& c) { return c.text.find("zly.dll") != std::string::npos; };
  EXPECT_TRUE(std::ranges::any_of(Inspect(warning).controls, names)) << "the refused entry not named";
  EXPECT_EQ(PressButton(warning, "OK"), PressResult::Pressed);
  std::vector<std::string> captions;  // the progress window's texts, as they changed
  while (WaitForSingleObject(launcher->handle(), 20) == WAIT_TIMEOUT) {
    const HWND progress = FindTopWindow({.title = "Aktualizacja", .processId = launcher->id()});
    for (const ControlInfo& control : progress ? Inspect(progress).controls : std::vector<ControlInfo>{}) {
      const bool caption = !control.text.empty() && control.text.find("Trwa aktualizacja") == std::string::npos &&
                           !control.text.ends_with("%");
      if (caption && (captions.empty() || captions.back() != control.text)) captions.push_back(control.text);
    }
  }
  EXPECT_EQ(launcher->Wait(1000).exitCode, 0u);
  EXPECT_NE(app.WaitForTargetRecord(app.dir()), "");
  // The program's name follows at once in the window in sight, if its copy is seen at all.
  EXPECT_THAT(captions, AnyOf(ElementsAre("PROG.DLL", "Pomoc programu", "WYDRUKI.DLL"),
                              ElementsAre("PROG.DLL", "Pomoc programu", "WYDRUKI.DLL", "PROG.EXE")));

  EXPECT_THAT(LogTails(ReadUpdateLog(app.dir())),
              ElementsAre("prog.dll from [1.0.1.3] to [1.0.1.4]\r\n", StartsWith("pomoc.hlp from ["),
                          "wydruki.dll from [brak] to [1.0.1.4]\r\n", "prog.exe from [1.0.1.3] to [1.0.1.4]\r\n"));
  for (const std::string name : {"prog.exe", "prog.dll", "raporty\\wydruki.dll"})
    EXPECT_EQ(ReadFileBytes(app / name), v1014) << name;
  EXPECT_EQ(ReadFileBytes(app / "pomoc.hlp"), "new help");
  EXPECT_EQ(ReadFileBytes(app / "pomoc.hlpOLD"), "old help");
  EXPECT_EQ(ReadFileBytes(app / "prog.dllOLD"), v1013);
  EXPECT_EQ(ReadFileBytes(app / "prog.exeOLD"), v1013);
  EXPECT_EQ(ReadFileBytes(app / "stara.dll"), v1013);
  EXPECT_THAT(ListDir(app / "raporty"), ElementsAre("wydruki.dll"));
}


// Polish letters, and letters of no ANSI code page at all, in every name.
class UpdateInForeignNamesTest : public UpdateTest {
 protected:
  UpdateInForeignNamesTest() : UpdateTest("Zażółć gęślą jaźń ✓ Ωμέγα 日本") {}
};

TEST_F(UpdateInForeignNamesTest, SharedDirectoryNamedInTheSettings) {
  TempDir elsewhere("kolvex-shared");
  const std::string named = elsewhere / "Współdzielone ŁĄKA ✓ 中文";
  MakeDir(named);
  WriteSettings(app, named);
  WriteFileBytes(app / "prog.exe", v1013);
  WriteFileBytes(named + "\\prog.exe", v1014);
  RunAndExpectHandOff();
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1014);
  EXPECT_EQ(ReadFileBytes(app / "prog.exeOLD"), v1013);
  EXPECT_THAT(LogTails(ReadUpdateLog(app.dir())), ElementsAre("prog.exe from [1.0.1.3] to [1.0.1.4]\r\n"));
}

TEST_F(UpdateInForeignNamesTest, APolishTargetNameIsLoggedInTheAnsiCodePage) {
  WriteFileBytes(app / "Łódź.exe", v1013);
  WriteFileBytes(shared + "\\Łódź.exe", v1014);
  RunAndExpectHandOff("Łódź.exe");
  EXPECT_EQ(ReadFileBytes(app / "Łódź.exe"), v1014);
  EXPECT_EQ(ReadFileBytes(app / "Łódź.exeOLD"), v1013);
  EXPECT_THAT(LogTails(ReadUpdateLog(app.dir())), ElementsAre(ToAnsi("Łódź.exe from [1.0.1.3] to [1.0.1.4]\r\n")));
}

// SHARED_DIR as an administrator may write it.
struct SharedDirCase {
  const char* name;
  std::string (*value)(const std::string& sharedDir);
  bool relativeToWorkDir;
};

void PrintTo(const SharedDirCase& c, std::ostream* os) { *os << c.name; }

class SharedDirSettingTest : public UpdateTest, public ::testing::WithParamInterface<SharedDirCase> {};

TEST_P(SharedDirSettingTest, TheTargetIsTakenFromThere) {
  TempDir elsewhere("kolvex-cwd");
  const std::string sharedDir = elsewhere / "nowe wersje";
  MakeDir(sharedDir);
  WriteSettings(app, GetParam().value(GetParam().relativeToWorkDir ? "nowe wersje" : sharedDir));
  WriteFileBytes(app / "prog.exe", v1013);
  WriteFileBytes(sharedDir + "\\prog.exe", v1014);
  // Decoys where a wrong reading of the setting would look.
  WriteFileBytes(shared + "\\prog.exe", noVersion);
  MakeDir(app / "nowe wersje");
  WriteFileBytes(app / "nowe wersje\\prog.exe", noVersion);

  RunAndExpectHandOff("prog.exe", elsewhere.path());
  EXPECT_EQ(ReadFileBytes(app / "prog.exe"), v1014);
  EXPECT_EQ(ReadFileBytes(app / "prog.exeOLD"), v1013);
  EXPECT_THAT(LogTails(ReadUpdateLog(app.dir())), ElementsAre("prog.exe from [1.0.1.3] to [1.0.1.4]\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Values, SharedDirSettingTest,
    ::testing::Values(SharedDirCase{"Absolute", [](const std::string& d) { return d; }, false},
                      SharedDirCase{"TrailingSeparator", [](const std::string& d) { return d + "\\"; }, false},
                      SharedDirCase{"BlanksAround", [](const std::string& d) { return "  \t " + d + "   "; }, false},
                      SharedDirCase{"RelativeToTheWorkingDirectory", [](const std::string& d) { return d; }, true}),
    [](const ::testing::TestParamInfo<SharedDirCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kolvex::test
