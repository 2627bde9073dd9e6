// The rules of setting a workstation up from the share and removing it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/kolvexadm/Setup.h"
#include "update/Settings.h"

namespace kolvex {
namespace {

using ::testing::ElementsAre;

TEST(SetupArguments, SwitchesAnywhereAndTheNameFromTheProgram) {
  std::string failure;
  auto request = ParseSetupArguments({"/USLUGA", "\\\\srv\\a b", "C:\\Łódź", "bin\\prog.v2.exe", "-pulpit"}, failure);
  ASSERT_TRUE(request) << failure;
  EXPECT_TRUE(request->perMachine && request->desktop);
  EXPECT_EQ(request->name, "prog.v2");
  request = ParseSetupArguments({"s", "f", "prog.exe", "/nazwa", "Księgowość"}, failure);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->name, "Księgowość");
  EXPECT_FALSE(request->perMachine || request->desktop);
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"s", "f"}, {"s", "f", "p.exe", "/nazwa"}, {"s", "f", "p.exe", "/nazwa", "a:b"},
        {"s", "f", "p.exe", "/cicho"}, {"s", "f", "..\\p.exe"}, {"s", "f", "Kolvex.exe"}, {"s", "f", "baza.set"}})
    EXPECT_FALSE(ParseSetupArguments(bad, failure)) << bad.back();
}

TEST(SetupFiles, LauncherFirstProgramLastEachOnce) {
  const std::vector<Component> listed{{"kolvex.EXE", 1, ""}, {"pomoc\\a.hlp", 2, ""}, {"PROG.exe", 1, ""},
                                      {"Kolvex.lock", 2, ""}};
  std::vector<std::string> names;
  for (const Component& file : SetupFiles(listed, "prog.exe")) names.push_back(file.name);
  EXPECT_THAT(names, ElementsAre("Kolvex.exe", "pomoc\\a.hlp", "prog.exe"));
}

TEST(SetupStep, AnUpdatesNewerFileStaysAnOlderOneIsReplaced) {
  EXPECT_EQ(StepFor(kCompareByVersion, {.installed = false}), SetupStep::Copy);
  EXPECT_EQ(StepFor(kCompareByVersion, {true, "1.0.10.0", "1.0.9.0"}), SetupStep::KeepNewer);
  EXPECT_EQ(StepFor(kCompareByVersion, {true, "1.0.9.0", "1.0.10.0"}), SetupStep::Copy);
  EXPECT_EQ(StepFor(kCompareByVersion, {true, "1.0", "1.0"}), SetupStep::Same);
  EXPECT_EQ(StepFor(kCompareByVersion, {true, "", ""}), SetupStep::Same);
  EXPECT_EQ(StepFor(kCompareByVersion, {true, "", "1.0"}), SetupStep::Copy);
  EXPECT_EQ(StepFor(kCompareByDate, {true, "", "", {45000.5}, {45000.25}}), SetupStep::KeepNewer);
  EXPECT_EQ(StepFor(kCompareByDate, {true, "", "", {45000.25}, {45000.5}}), SetupStep::Copy);
  EXPECT_EQ(StepFor(kCompareByDate, {true, "9", "1", {45000.5}, {45000.5}}), SetupStep::Same);
}

TEST(SettingsTemplate, TheShareAndTheWayReplaceTheTemplatesInTheFirstMain) {
  const std::string text = FillSettingsTemplate(
      "; wzór\n[main]\nshared_dir = \\\\stary\nAktualizacja=usluga\nREPORT_DIR=\\\\srv\\r\n[SKLADNIKI]\n"
      "lib=prog.dll\nSHARED_DIR=x\n[MAIN]\nSHARED_DIR=drugi",
      "\\\\srv\\udział nowy", false);
  const Settings settings = ParseSettings(text, "C:\\p");
  EXPECT_EQ(settings.sharedDir, "\\\\srv\\udział nowy");
  EXPECT_FALSE(settings.updatedByService);
  EXPECT_EQ(settings.reportDir, "\\\\srv\\r");
  ASSERT_EQ(settings.components.components.size(), 2u);
  EXPECT_EQ(text.find("\n[MAIN]\r\nSHARED_DIR=drugi\r\n") != std::string::npos, true);
  EXPECT_EQ(text.find("\r\n") < text.find('\n'), true) << text;
  const Settings perMachine = ParseSettings(FillSettingsTemplate("[SKLADNIKI]\r\nlib=a.dll\r\n", "S", true), "C:\\p");
  EXPECT_EQ(perMachine.sharedDir, "S");
  EXPECT_TRUE(perMachine.updatedByService);
  EXPECT_EQ(perMachine.components.components.size(), 1u);
}

TEST(SetupInTheWay, AnotherProgramOrShareButNotTheUpdatesOwnFiles) {
  const std::vector<Component> files = SetupFiles({{"bin\\x.dll", 1, ""}}, "prog.exe");
  const std::vector<std::string> ours{"Kolvex.exe", "PROG.EXE", "prog.exeOLD", "notatka.txt", "_updatefiles.LOG"};
  EXPECT_FALSE(IsInTheWay(ours, std::nullopt, "S", files));
  EXPECT_FALSE(IsInTheWay(ours, " s ", "S", files));
  EXPECT_TRUE(IsInTheWay(ours, "T", "S", files));
  EXPECT_TRUE(IsInTheWay({"Kolvex.exe", "inny.exe"}, std::nullopt, "S", files));
}

TEST(SetupRemoval, TheUpdatesFilesAndLeftoversButNothingElse) {
  const std::vector<std::string> names = InstallationFileNames(SetupFiles({{"pomoc\\a.hlp", 2, ""}}, "prog.exe"));
  for (const char* made : {"baza.set", "KOLVEX.EXE", "Kolvex.exeOLD", "prog.exeOLD", "pomoc\\A.HLP", "pomoc\\a.hlpOLD",
                           "_updatefiles.LOG", "Kolvex.lock", "kolvex-instalacja.log", "~prog.exe.4242.kolvex-old",
                           "pomoc\\~a.hlp.17.kolvex-tmp"})
    EXPECT_TRUE(IsInstallationFile(made, names)) << made;
  for (const char* other : {"dane.mdb", "a.hlp", "pomoc\\prog.exe", "~prog.exe.x.kolvex-old", "~inny.exe.1.kolvex-old",
                            "~a.hlp.1.kolvex-tmp"})
    EXPECT_FALSE(IsInstallationFile(other, names)) << other;
}

TEST(SetupEntry, OneKeyPerFolderAndQuotedArguments) {
  EXPECT_EQ(UninstallKeyName("C:\\PROG"), UninstallKeyName("C:\\PROG"));
  EXPECT_NE(UninstallKeyName("C:\\PROG"), UninstallKeyName("C:\\PROG2"));
  EXPECT_EQ(QuotedArgument("prog.exe"), "prog.exe");
  EXPECT_EQ(QuotedArgument("mój prog.exe"), "\"mój prog.exe\"");
}

}  // namespace
}  // namespace kolvex
