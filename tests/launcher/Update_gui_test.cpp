// UpdateComponent called directly where windows are concerned: the progress
// window's default text, and a shared file that vanishes between the
// comparison and the copy, reported to the caller without a window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/win32/Utf.h"
#include "launcher/DirectUpdateTest.h"
#include "launcher/Update_win32.h"
#include "support/Robot.h"
#include "support/TestSupport.h"

namespace kolvex::test {
namespace {

using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

using DirectUpdateWindowTest = DirectUpdateTest;

// The real system, except that the shared file is deleted just before the
// refresh reads it: what another machine's clean-up may do at any moment.
class SharedFileVanishes final : public WindowsUpdateSystem {
 public:
  explicit SharedFileVanishes(std::string sharedFile) : sharedFile_(std::move(sharedFile)) {}
  std::optional<std::string> Copy(const std::string& from, const std::string& to) override {
    if (from == sharedFile_) DeleteFileW(Widen(from).c_str());
    return WindowsUpdateSystem::Copy(from, to);
  }

 private:
  std::string sharedFile_;
};

TEST_F(DirectUpdateWindowTest, ASharedFileThatVanishesBeforeTheCopyIsReportedAndNothingIsLost) {
  WriteFileBytes(Installed("prog.exe"), v1013);
  WriteFileBytes(Shared("prog.exe"), v1014);
  SharedFileVanishes system(Shared("prog.exe"));

  const UpdateOutcome outcome = UpdateComponent(system, app, "prog.exe", "", 1, "", false);
  EXPECT_EQ(outcome.result, UpdateResult::Failed);
  EXPECT_THAT(outcome.failure, HasSubstr("prog.exe"));
  EXPECT_FALSE(FindTopWindow({.title = "Błąd", .processId = GetCurrentProcessId()})) << "shown by the caller";

  EXPECT_EQ(ReadFileBytes(Installed("prog.exe")), v1013);
  EXPECT_EQ(ReadFileBytes(Installed("prog.exeOLD")), v1013);
  EXPECT_THAT(ListDir(app.exeDir), UnorderedElementsAre("prog.exe", "prog.exeOLD")) << "no log, no temporary file";
}

TEST_F(DirectUpdateWindowTest, TheProgressWindowNamesTheFileInUpperCaseByTheLocalesRules) {
  WriteFileBytes(Shared("łódź.exe"), v1014);
  Update("łódź.exe", "", 1, "", true);
  const HWND window = FindTopWindow({.title = "Aktualizacja", .processId = GetCurrentProcessId()});
  ASSERT_TRUE(window);
  const std::optional<ControlInfo> name = FindControl(Inspect(window), "ŁÓDŹ.EXE");
  EXPECT_TRUE(name) << "the window does not show ŁÓDŹ.EXE";

  WriteFileBytes(Shared("żółw.exe"), v1014);
  Update("żółw.exe", "", 1, "Żółw: nowa wersja", true);
  EXPECT_TRUE(FindControl(Inspect(window), "Żółw: nowa wersja")) << "the caption is shown as given";
  EXPECT_EQ(ReadFileBytes(Installed("żółw.exe")), v1014);
}

}  // namespace
}  // namespace kolvex::test
