// UpdateComponent called directly, against the real files, version
// resources, file times, copy and log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "update/DirectUpdateTest.h"
#include "update/Update.h"
#include "support/TestSupport.h"

namespace kolvex::test {
namespace {

using ::testing::ElementsAre;
using ::testing::SizeIs;
using ::testing::StartsWith;
using ::testing::UnorderedElementsAreArray;

TEST_F(DirectUpdateTest, ByDateFilesOfOneDayWithDifferentTimesAreUpdatedAndLoggedWithOneDate) {
  WriteFileBytes(Installed("data.bin"), "installed");
  WriteFileBytes(Shared("data.bin"), "shared");
  // A day far from any change of summer time.
  SetLocalWriteTime(Installed("data.bin"), Local(2024, 6, 15, 8, 5, 0, 0));
  SetLocalWriteTime(Shared("data.bin"), Local(2024, 6, 15, 14, 30, 10, 0));
  Update("data.bin", "", 2, "", false);
  EXPECT_EQ(ReadFileBytes(Installed("data.bin")), "shared");
  EXPECT_EQ(ReadFileBytes(Installed("data.binOLD")), "installed");

  // The log shows dates without times: both sides read the same.
  ASSERT_THAT(LogTails(Log()), SizeIs(1));
  const std::string line = LogTails(Log())[0];
  const std::string prefix = "data.bin from [";
  ASSERT_EQ(line.compare(0, prefix.size(), prefix), 0) << line;
  const size_t close = line.find("] to [");
  ASSERT_NE(close, std::string::npos) << line;
  const std::string oldDate = line.substr(prefix.size(), close - prefix.size());
  EXPECT_FALSE(oldDate.empty());
  EXPECT_EQ(line.substr(close), "] to [" + oldDate + "]\r\n");

  // The copy keeps the shared file's time: the next start finds nothing to do.
  const std::string log = Log();
  Update("data.bin", "", 2, "", false);
  EXPECT_EQ(Log(), log);
}

TEST_F(DirectUpdateTest, ByDateTimesWithinOneTwoSecondStepAreEqual) {
  WriteFileBytes(Installed("data.bin"), "installed");
  WriteFileBytes(Shared("data.bin"), "shared");
  SetLocalWriteTime(Installed("data.bin"), Local(2024, 6, 15, 10, 0, 0, 0));
  SetLocalWriteTime(Shared("data.bin"), Local(2024, 6, 15, 10, 0, 1, 900));
  Update("data.bin", "", 2, "", false);
  EXPECT_EQ(ReadFileBytes(Installed("data.bin")), "installed");
  EXPECT_EQ(Log(), "");

  SetLocalWriteTime(Installed("data.bin"), Local(2024, 6, 15, 10, 0, 1, 0));
  SetLocalWriteTime(Shared("data.bin"), Local(2024, 6, 15, 10, 0, 2, 0));
  Update("data.bin", "", 2, "", false);
  EXPECT_EQ(ReadFileBytes(Installed("data.bin")), "shared");
}

TEST_F(DirectUpdateTest, ByDateWithoutInstalledFileCopiesWithoutBackup) {
  WriteFileBytes(Shared("data.bin"), "shared");
  Update("data.bin", "", 2, "", false);
  EXPECT_EQ(ReadFileBytes(Installed("data.bin")), "shared");
  EXPECT_FALSE(FileExists(Installed("data.binOLD")));
  EXPECT_THAT(LogTails(Log()), ElementsAre(StartsWith("data.bin from [")));
}

struct ExtCase {
  const char* ext;
  const char* fileName;   // as given to UpdateComponent
  const char* component;  // the name on disk, after the extension change
  const char* backup;     // "" for none
};

void PrintTo(const ExtCase& c, std::ostream* os) { *os << '"' << c.ext << "\" on " << c.fileName; }

class ExtRuleTest : public DirectUpdateTest, public ::testing::WithParamInterface<ExtCase> {};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

TEST_P(ExtRuleTest, TheExtensionIsReplacedAndChoosesTheBackup) {
  const ExtCase& c = GetParam();
  WriteFileBytes(Installed(c.component), v1013);
  WriteFileBytes(Shared(c.component), v1014);
  Update(c.fileName, c.ext, 1, "", false);

  EXPECT_EQ(ReadFileBytes(Installed(c.component)), v1014);
  std::vector<std::string> expected{Lower(c.component), "_updatefiles.log"};
  if (*c.backup) {
    expected.push_back(Lower(c.backup));
    EXPECT_THAT(ListDir(app.exeDir), ::testing::Contains(c.backup)) << "the backup's name is exactly this";
    EXPECT_EQ(ReadFileBytes(Installed(c.backup)), v1013);
  }
  std::vector<std::string> names = ListDir(app.exeDir);
  std::transform(names.begin(), names.end(), names.begin(), Lower);
  EXPECT_THAT(names, UnorderedElementsAreArray(expected));
  EXPECT_THAT(LogTails(Log()), ElementsAre(std::string(c.component) + " from [1.0.1.3] to [1.0.1.4]\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Rules, ExtRuleTest,
                         ::testing::Values(ExtCase{".EXE", "prog.exe", "prog.EXE", "prog.EXEOLD"},
                                           ExtCase{".exe", "prog.EXE", "prog.exe", ""},
                                           ExtCase{".DLL", "lib.bpl", "lib.DLL", ""},
                                           ExtCase{"", "prog.exe", "prog.exe", "prog.exeOLD"}),
                         [](const ::testing::TestParamInfo<ExtCase>& info) {
                           std::string name = *info.param.ext ? info.param.ext + 1 : "None";
                           if (std::islower(static_cast<unsigned char>(name[0]))) name += "Lower";
                           return name;
                         });

}  // namespace
}  // namespace kolvex::test
