// The launcher as a whole process: started in an installation directory, it
// starts the target from there with every argument forwarded, and exits 0.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/win32/Utf.h"
#include "e2e/E2eSupport.h"

namespace kolvex::test {
namespace {

using ::testing::Contains;

std::string CommandLineOf(const std::string& record) {
  const size_t begin = record.find("cmdline=") + 8;
  return record.substr(begin, record.find("\r\n", begin) - begin);
}

std::string CwdOf(const std::string& record) {
  const size_t begin = record.find("cwd=") + 4;
  return record.substr(begin, record.find("\r\n", begin) - begin);
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(Handoff, StartsTargetWithEveryArgumentForwarded) {
  Installation app;
  app.AddFixture("target_noversion", "prog.exe");
  TempDir elsewhere("kolvex-cwd");
  const ProcessResult run = app.RunLauncher(" prog.exe /a \"b c\"", 30000, elsewhere.path());
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  const std::string record = app.WaitForTargetRecord(app.dir());
  ASSERT_FALSE(record.empty()) << "the target was not started";
  const std::string cmdline = CommandLineOf(record);
  EXPECT_TRUE(EndsWith(cmdline, " \"prog.exe\" \"/a\" \"b c\"")) << cmdline;
  EXPECT_NE(cmdline.find("prog.exe"), std::string::npos);
  // No working directory is given: the target inherits the launcher's.
  EXPECT_EQ(CwdOf(record), elsewhere.path());
}

TEST(Handoff, QuotingAndBackslashesFollowTheLaunchersOwnRules) {
  Installation app;
  app.AddFixture("target_noversion", "prog.exe");
  const ProcessResult run = app.RunLauncher(" \"prog.exe\" \"C:\\a b\\\" x\"\"y \"\" z\\\\");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  const std::string record = app.WaitForTargetRecord(app.dir());
  ASSERT_FALSE(record.empty());
  EXPECT_TRUE(EndsWith(CommandLineOf(record), " \"prog.exe\" \"C:\\a b\\\" \"xy\" \"z\\\\\""))
      << CommandLineOf(record);
}

TEST(Handoff, TargetInASubDirectoryIsStartedFromThere) {
  Installation app;
  MakeDir(app / "bin");
  app.AddFixture("target_noversion", "bin\\prog.exe");
  const ProcessResult run = app.RunLauncher(" bin\\prog.exe -x");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  const std::string record = app.WaitForTargetRecord(app / "bin");
  ASSERT_FALSE(record.empty());
  EXPECT_TRUE(EndsWith(CommandLineOf(record), " \"bin\\prog.exe\" \"-x\"")) << CommandLineOf(record);
}

TEST(Handoff, CommandLineNearTheSystemsLimitIsHandedOffWhole) {
  Installation app;
  app.AddFixture("target_noversion", "prog.exe");
  std::string tail = " prog.exe";
  std::string expected = " \"prog.exe\"";
  // 32767 characters is the most a command line can hold; the forwarded one
  // adds two quotes per argument, so leave room for them.
  for (int i = 0; tail.size() < 25000; ++i) {
    const std::string arg = "arg" + std::to_string(i) + std::string(90, 'x');
    tail += " " + arg;
    expected += " \"" + arg + "\"";
  }
  const ProcessResult run = app.RunLauncher(tail);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  const std::string record = app.WaitForTargetRecord(app.dir());
  ASSERT_FALSE(record.empty());
  EXPECT_TRUE(EndsWith(CommandLineOf(record), expected));
}

// The functions a program imports, "DLL!function", from its import table.
std::vector<std::string> ImportsOf(const std::string& path) {
  const HMODULE image = LoadLibraryExW(Widen(path).c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  if (!image) return {};
  const auto* base = reinterpret_cast<const BYTE*>(image);
  const auto* headers =
      reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const DWORD table = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  std::vector<std::string> imports;
  for (auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + table); dll->Name; ++dll) {
    const DWORD names = dll->OriginalFirstThunk ? dll->OriginalFirstThunk : dll->FirstThunk;
    for (auto* thunk = reinterpret_cast<const IMAGE_THUNK_DATA32*>(base + names); thunk->u1.AddressOfData; ++thunk) {
      if (!(thunk->u1.Ordinal & IMAGE_ORDINAL_FLAG32))
        imports.push_back(std::string(reinterpret_cast<const char*>(base + dll->Name)) + "!" +
                          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + thunk->u1.AddressOfData)->Name);
    }
  }
  FreeLibrary(image);
  return imports;
}

// Libraries come from the system, never from the working directory, for the
// launcher and, as Windows passes SetDllDirectoryW(L"") on, for the program it
// starts. Wine does neither (measured: a library planted in the working
// directory is loaded after the call, and GetDllDirectoryW gives an empty
// string with or without it), so under Wine the call shows only in the imports.
TEST(Handoff, LibrariesAreLookedForWithoutTheWorkingDirectory) {
  const std::vector<std::string> imports = ImportsOf(BinDir() + "\\Kolvex.exe");
  EXPECT_THAT(imports, Contains("KERNEL32.dll!GetCommandLineW")) << "the import table as read";
  EXPECT_THAT(imports, Contains("KERNEL32.dll!SetDllDirectoryW"));
}

TEST(Handoff, NoArgumentsExitsZeroWithoutHanging) {
  Installation app;
  const ProcessResult run = app.RunLauncher("", 30000);
  ASSERT_TRUE(run.finished) << "the launcher hung";
  EXPECT_EQ(run.exitCode, 0u);
}

}  // namespace
}  // namespace kolvex::test
