// UpdateComponent called directly where windows are concerned: the progress
// window's default text, and a shared file that vanishes between the
// comparison and the copy, reported to the caller without a window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/win32/Utf.h"
#include "update/DirectUpdateTest.h"
#include "launcher/ProgressWindow_win32.h"
#include "support/Robot.h"
#include "support/TestSupport.h"

namespace kolvex::test {
namespace {

using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

using DirectUpdateWindowTest = DirectUpdateTest;

// The real system, except that the shared file is deleted just before the
// refresh reads it: what another machine's clean-up may do at any moment.
class SharedFileVanishes final : public WindowsCopySystem {
 public:
  explicit SharedFileVanishes(std::string sharedFile) : sharedFile_(std::move(sharedFile)) {}
  std::optional<std::string> Copy(const std::string& from, const std::string& to,
                                  const CopyProgress& progress) override {
    if (from == sharedFile_) DeleteFileW(Widen(from).c_str());
    return WindowsCopySystem::Copy(from, to, progress);
  }

 private:
  std::string sharedFile_;
};

TEST_F(DirectUpdateWindowTest, ASharedFileThatVanishesBeforeTheCopyIsReportedAndNothingIsLost) {
  WriteFileBytes(Installed("prog.exe"), v1013);
  WriteFileBytes(Shared("prog.exe"), v1014);
  SharedFileVanishes vanishing(Shared("prog.exe"));
  files = &vanishing;

  const UpdateOutcome outcome = Update("prog.exe", "", 1, "", false);
  EXPECT_EQ(outcome.result, UpdateResult::Failed);
  EXPECT_THAT(outcome.failure, HasSubstr("prog.exe"));
  EXPECT_FALSE(FindTopWindow({.title = "Błąd", .processId = GetCurrentProcessId()})) << "shown by the caller";

  EXPECT_EQ(ReadFileBytes(Installed("prog.exe")), v1013);
  EXPECT_THAT(ListDir(app.exeDir), UnorderedElementsAre("prog.exe")) << "no backup of what stayed, no log, no copy";
}

TEST_F(DirectUpdateWindowTest, TheProgressWindowNamesTheFileInUpperCaseByTheLocalesRules) {
  ProgressWindow window;
  progress = &window;
  WriteFileBytes(Shared("łódź.exe"), v1014);
  Update("łódź.exe", "", 1, "", true);
  ASSERT_TRUE(window.Form());
  EXPECT_EQ(WindowText(window.Form()->L_NazwaSkl()), "ŁÓDŹ.EXE");

  WriteFileBytes(Shared("żółw.exe"), v1014);
  Update("żółw.exe", "", 1, "Żółw: nowa wersja", true);
  EXPECT_EQ(WindowText(window.Form()->L_NazwaSkl()), "Żółw: nowa wersja") << "the caption is shown as given";
  EXPECT_EQ(ReadFileBytes(Installed("żółw.exe")), v1014);
}

}  // namespace
}  // namespace kolvex::test
