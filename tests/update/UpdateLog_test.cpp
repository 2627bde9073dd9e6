#include "update/UpdateLog.h"

#include <gtest/gtest.h>

#include "common/Exceptions.h"
#include "support/DateTimeSupport.h"

namespace kolvex {
namespace {

using test::At;
using test::FakeFormats;


ComponentUpdate ByVersion(const std::string& name, const std::string& oldVersion, const std::string& newVersion) {
  return {.name = name, .oldVersion = oldVersion, .newVersion = newVersion};
}

TEST(UpdateLogPath, NamedComponentLogsBesideTheLauncher) {
  EXPECT_EQ(UpdateLogPath("prog.exe", "C:\\App", "C:\\App\\Kolvex.exe"), "C:\\App\\_updatefiles.LOG");
  EXPECT_EQ(UpdateLogPath("sub\\prog.exe", "C:\\", "D:\\x\\Kolvex.exe"), "C:\\_updatefiles.LOG");
}

TEST(UpdateLogPath, WithoutComponentNameTheLauncherNamesTheLog) {
  EXPECT_EQ(UpdateLogPath("", "C:\\App", "C:\\App\\Kolvex.exe"), "C:\\App\\Kolvex.LOG");
  EXPECT_EQ(UpdateLogPath("", "C:\\App", "C:\\a.b\\launcher"), "C:\\a.b\\launcher.LOG");
}

TEST(UpdateLogLine, ModeOneGivesVersions) {
  const FakeFormats f;
  EXPECT_EQ(UpdateLogLine(1, ByVersion("PROG.EXE", "1.0.1.3", "1.0.1.4"), At(2024, 3, 5, 7, 8, 9), f),
            "5.3.2024 7:8:9,0 - PROG.EXE from [1.0.1.3] to [1.0.1.4]\r\n");
  EXPECT_EQ(UpdateLogLine(1, ByVersion("prog.exe", "brak", ""), At(2024, 3, 5, 0, 0, 0, 500), f),
            "5.3.2024 - prog.exe from [brak] to []\r\n");
}

TEST(UpdateLogLine, ModeTwoGivesShortDatesOnly) {
  const FakeFormats f;
  const ComponentUpdate entry{.name = "prog.exe",
                              .oldVersion = "ignored",
                              .newVersion = "ignored",
                              .oldDate = At(2023, 12, 31, 23, 59, 58),
                              .newDate = At(2024, 1, 2, 10, 0, 0)};
  EXPECT_EQ(UpdateLogLine(2, entry, At(2024, 3, 5, 0, 0, 1), f),
            "5.3.2024 0:0:1,0 - prog.exe from [31.12.2023] to [2.1.2024]\r\n");
  ComponentUpdate missing = entry;
  missing.oldDate = DateTime{0};
  missing.newDate = At(2023, 12, 31, 8, 0, 0);
  EXPECT_EQ(UpdateLogLine(2, missing, At(2024, 3, 5), f), "5.3.2024 - prog.exe from [30.12.1899] to [31.12.2023]\r\n");
}

TEST(UpdateLogLine, OnlyTheFileNamePartIsWritten) {
  const FakeFormats f;
  EXPECT_EQ(UpdateLogLine(1, ByVersion("sub\\dir\\prog.exe", "1", "2"), At(2024, 3, 5), f),
            "5.3.2024 - prog.exe from [1] to [2]\r\n");
  EXPECT_EQ(UpdateLogLine(1, ByVersion("C:prog.exe", "1", "2"), At(2024, 3, 5), f),
            "5.3.2024 - prog.exe from [1] to [2]\r\n");
  EXPECT_EQ(UpdateLogWaitingLine(ByVersion("sub\\prog.chm", "1", "2"), At(2024, 3, 5), f),
            "5.3.2024 - prog.chm czeka: plik jest otwarty w innym programie\r\n");
}

TEST(UpdateLogLine, ImpossibleDatesRaise) {
  const FakeFormats f;
  ComponentUpdate entry = ByVersion("p.exe", "", "");
  entry.oldDate = DateTime{1e300};
  EXPECT_THROW(UpdateLogLine(2, entry, At(2024, 3, 5), f), EConvertError);
}

}  // namespace
}  // namespace kolvex
