// Clock, file times and the user's formats from the real system.
#include <gtest/gtest.h>

#include "common/Exceptions.h"
#include "common/win32/DateTime.h"
#include "support/TestSupport.h"

namespace kolvex::test {
namespace {

CalendarTime WrittenAt(const std::string& path) {
  const std::optional<DateTime> t = FileDateTimeLocal(path);
  EXPECT_TRUE(t.has_value()) << path;
  return t ? DecodeDateTime(*t) : CalendarTime{};
}

TEST(FileDateTimeLocal, LocalTimeInTwoSecondSteps) {
  TempDir dir("kolvex-dt");
  const std::string file = dir / "prog.exe";
  WriteFileBytes(file, "x");
  SetLocalWriteTime(file, Local(2024, 3, 5, 7, 8, 9, 999));
  EXPECT_EQ(WrittenAt(file), (CalendarTime{2024, 3, 5, 7, 8, 8, 0}));
  SetLocalWriteTime(file, Local(2024, 3, 5, 7, 8, 10, 0));
  EXPECT_EQ(WrittenAt(file), (CalendarTime{2024, 3, 5, 7, 8, 10, 0}));
  SetLocalWriteTime(file, Local(1980, 1, 1, 0, 0, 1, 0));
  EXPECT_EQ(WrittenAt(file), (CalendarTime{1980, 1, 1, 0, 0, 0, 0}));
  SetLocalWriteTime(file, Local(2107, 12, 31, 23, 59, 59, 0));
  EXPECT_EQ(WrittenAt(file), (CalendarTime{2107, 12, 31, 23, 59, 58, 0}));
}

TEST(FileDateTimeLocal, YearsNoPackedStampHoldsKeepTheirTime) {
  TempDir dir("kolvex-dt");
  const std::string file = dir / "old.exe";
  WriteFileBytes(file, "x");
  SetLocalWriteTime(file, Local(1975, 6, 15, 12, 34, 57, 500));
  EXPECT_EQ(WrittenAt(file), (CalendarTime{1975, 6, 15, 12, 34, 56, 0}));
  SetLocalWriteTime(file, Local(2150, 1, 1, 0, 0, 1, 0));
  EXPECT_EQ(WrittenAt(file), (CalendarTime{2150, 1, 1, 0, 0, 0, 0}));
}

TEST(FileDateTimeLocal, SameDayDifferentTimesDifferAsValuesNotAsShortDates) {
  TempDir dir("kolvex-dt");
  WriteFileBytes(dir / "a.exe", "a");
  WriteFileBytes(dir / "b.exe", "b");
  SetLocalWriteTime(dir / "a.exe", Local(2024, 3, 5, 8, 0, 0, 0));
  SetLocalWriteTime(dir / "b.exe", Local(2024, 3, 5, 17, 30, 0, 0));
  const DateTime a = FileDateTimeLocal(dir / "a.exe").value();
  const DateTime b = FileDateTimeLocal(dir / "b.exe").value();
  EXPECT_NE(a, b);
  EXPECT_EQ(FormatShortDate(a, UserDateTimeFormats()), FormatShortDate(b, UserDateTimeFormats()));
}

TEST(FileDateTimeLocal, NothingForMissingFilesAndDirectories) {
  TempDir dir("kolvex-dt");
  MakeDir(dir / "dir.exe");
  EXPECT_FALSE(FileDateTimeLocal(dir / "dir.exe").has_value());
  EXPECT_FALSE(FileDateTimeLocal(dir / "missing.exe").has_value());
  EXPECT_FALSE(FileDateTimeLocal("").has_value());
  WriteFileBytes(dir / "Żółć 日本.exe", "x");
  EXPECT_TRUE(FileDateTimeLocal(dir / "Żółć 日本.exe").has_value());
}

TEST(Now, IsTheLocalClock) {
  SYSTEMTIME before;
  SYSTEMTIME after;
  GetLocalTime(&before);
  const DateTime now = Now();
  GetLocalTime(&after);
  auto value = [](const SYSTEMTIME& st) {
    return EncodeDateTime({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds})
        .value()
        .value;
  };
  EXPECT_LE(value(before), now.value);
  EXPECT_GE(value(after), now.value);
}

TEST(UserDateTimeFormats, DatesTheSystemCannotShowRaise) {
  EXPECT_THROW(UserDateTimeFormats().ShortDate({1600, 12, 31}), EConvertError);
  EXPECT_FALSE(UserDateTimeFormats().ShortDate({1899, 12, 30}).empty());
  EXPECT_FALSE(UserDateTimeFormats().ShortDate({9999, 12, 31}).empty());
}

}  // namespace
}  // namespace kolvex::test
