// The update log on real files: creation, appending, locking, names, and the
// line in the user's own date and time formats.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "common/DateTime.h"
#include "common/Exceptions.h"
#include "common/win32/Handles.h"
#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"
#include "update/UpdateLog_win32.h"
#include "support/DateTimeSupport.h"
#include "support/TestSupport.h"

namespace kolvex::test {
namespace {

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The system's own rendering, asked for here without the code under test.
std::string SystemText(bool date, const SYSTEMTIME& st) {
  wchar_t text[128];
  const int n = date ? GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, 128)
                     : GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, text, 128);
  EXPECT_GT(n, 0);
  return ToAnsi(Narrow(std::wstring_view(text, n > 0 ? static_cast<size_t>(n) - 1 : 0)));
}

// "now" as the log writes it at the moment st.
std::string NowText(SYSTEMTIME st) {
  st.wMilliseconds = 0;
  const bool midnight = st.wHour == 0 && st.wMinute == 0 && st.wSecond == 0;
  return SystemText(true, st) + (midnight ? "" : " " + SystemText(false, st));
}

// Every test here logs into a fresh directory.
class UpdateLogFile : public ::testing::Test {
 protected:
  std::string LogPath() const { return dir_ / "_updatefiles.LOG"; }

  TempDir dir_{"kolvex-log"};
  std::string exeDir = dir_.path();
};

TEST_F(UpdateLogFile, FirstUpdateCreatesTheLogWithOneLine) {
  WriteUpdateLog("prog.exe", 1, {.name = "prog.exe", .oldVersion = "brak", .newVersion = "1.0.1.4"}, exeDir);
  const std::string log = ReadFileBytes(LogPath());
  EXPECT_TRUE(EndsWith(log, " - prog.exe from [brak] to [1.0.1.4]\r\n")) << log;
  EXPECT_EQ(Count(log, "\r\n"), 1u);
  EXPECT_EQ(Count(log, "\r") + Count(log, "\n"), 2u);
  EXPECT_EQ(ListDir(dir_.path()), (std::vector<std::string>{"_updatefiles.LOG"}));
}

TEST_F(UpdateLogFile, LinesAreAppendedInOrderBehindEveryEarlierByte) {
  const std::string earlier("earlier \0 bytes\xB3\xFF\r\nno line end", 30);
  WriteFileBytes(LogPath(), earlier);
  WriteUpdateLog("a.exe", 1, {.name = "a.exe", .oldVersion = "1", .newVersion = "2"}, exeDir);
  WriteUpdateLog("b.exe", 1, {.name = "b.exe", .oldVersion = "2", .newVersion = "3"}, exeDir);
  WriteUpdateLog("c.exe", 1, {.name = "sub\\c.exe", .oldVersion = "3", .newVersion = "4"}, exeDir);
  const std::string log = ReadFileBytes(LogPath());
  ASSERT_EQ(log.substr(0, earlier.size()), earlier);
  const size_t a = log.find(" - a.exe from [1] to [2]\r\n", earlier.size());
  const size_t b = log.find(" - b.exe from [2] to [3]\r\n");
  const size_t c = log.find(" - c.exe from [3] to [4]\r\n");
  EXPECT_NE(a, std::string::npos);
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);
  EXPECT_NE(c, std::string::npos);
  EXPECT_TRUE(EndsWith(log, " - c.exe from [3] to [4]\r\n"));
  EXPECT_EQ(Count(log, "\r\n"), 4u);
}

TEST_F(UpdateLogFile, ModeTwoGivesBothShortDates) {
  WriteUpdateLog("prog.exe", 2,
                 {.name = "prog.exe", .oldDate = At(2023, 12, 31, 23, 59, 58), .newDate = At(2024, 1, 2, 10, 0, 0)},
                 exeDir);
  // Files that differ only in the time of day show the same date twice.
  WriteUpdateLog("prog.exe", 2,
                 {.name = "prog.exe", .oldDate = At(2024, 1, 2, 8, 0, 0), .newDate = At(2024, 1, 2, 17, 0, 0)}, exeDir);
  // No installed file: day 0.
  WriteUpdateLog("prog.exe", 2, {.name = "prog.exe", .oldDate = DateTime{0}, .newDate = At(2024, 1, 2)}, exeDir);
  const std::string log = ReadFileBytes(LogPath());
  const std::string d20231231 = SystemText(true, Local(2023, 12, 31));
  const std::string d20240102 = SystemText(true, Local(2024, 1, 2));
  const std::string d18991230 = SystemText(true, Local(1899, 12, 30));
  EXPECT_NE(log.find(" - prog.exe from [" + d20231231 + "] to [" + d20240102 + "]\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" - prog.exe from [" + d20240102 + "] to [" + d20240102 + "]\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" - prog.exe from [" + d18991230 + "] to [" + d20240102 + "]\r\n"), std::string::npos) << log;
  EXPECT_EQ(Count(log, "\r\n"), 3u);
}

TEST_F(UpdateLogFile, OtherModesOpenTheLogButWriteNothing) {
  WriteUpdateLog("prog.exe", 0, {.name = "prog.exe", .oldVersion = "1", .newVersion = "2"}, exeDir);
  ASSERT_TRUE(FileExists(LogPath()));
  EXPECT_EQ(ReadFileBytes(LogPath()), "");
  WriteFileBytes(LogPath(), "kept\r\n");
  WriteUpdateLog("prog.exe", 3, {.name = "prog.exe", .oldVersion = "1", .newVersion = "2"}, exeDir);
  EXPECT_EQ(ReadFileBytes(LogPath()), "kept\r\n");
}

TEST_F(UpdateLogFile, LongNamesAndVersionsAreWrittenWhole) {
  const std::string name = std::string(396, 'N') + ".exe";
  const std::string version(300, '9');
  WriteUpdateLog(name, 1, {.name = "sub\\" + name, .oldVersion = version, .newVersion = version + "1"}, exeDir);
  const std::string log = ReadFileBytes(LogPath());
  EXPECT_TRUE(EndsWith(log, " - " + name + " from [" + version + "] to [" + version + "1]\r\n")) << log.size();
  EXPECT_EQ(Count(log, "\r\n"), 1u);
}

TEST_F(UpdateLogFile, TextOutsideTheAnsiCodePage) {
  exeDir = dir_ / "Żółć 日本 Ω";
  MakeDir(exeDir);
  WriteUpdateLog("łódź 日本.exe", 1, {.name = "łódź 日本.exe", .oldVersion = "ąę", .newVersion = "Ω"},
                 exeDir);
  const std::string log = ReadFileBytes(exeDir + "\\_updatefiles.LOG");
  // Written in the ANSI code page: what it lacks comes out as the system's
  // default character (or its nearest letter).
  EXPECT_NE(log.find(" ??.exe from ["), std::string::npos) << log;
  if (GetACP() == 1250) {
    EXPECT_NE(log.find(" - \xB3\xF3\x64\x9F ??.exe from [\xB9\xEA] to [?]\r\n"), std::string::npos) << log;
  }
}

TEST_F(UpdateLogFile, WithoutComponentNameTheLogIsNamedAfterTheLauncher) {
  const std::string log = BinDir() + "\\win32_tests.LOG";
  DeleteFileW(Widen(log).c_str());
  WriteUpdateLog("", 1, {.name = "prog.exe", .oldVersion = "1", .newVersion = "2"}, exeDir);
  const std::string bytes = ReadFileBytes(log);
  DeleteFileW(Widen(log).c_str());
  EXPECT_TRUE(EndsWith(bytes, " - prog.exe from [1] to [2]\r\n")) << bytes;
  EXPECT_FALSE(FileExists(LogPath()));
}

TEST_F(UpdateLogFile, LockedLogRaisesTheFileErrorAndStaysAsItWas) {
  WriteUpdateLog("prog.exe", 1, {.name = "prog.exe", .oldVersion = "1", .newVersion = "2"}, exeDir);
  const std::string before = ReadFileBytes(LogPath());
  {
    ForeignLock lock(LogPath());
    try {
      WriteUpdateLog("prog.exe", 1, {.name = "prog.exe", .oldVersion = "2", .newVersion = "3"}, exeDir);
      ADD_FAILURE() << "no error raised";
    } catch (const EInOutError& e) {
      EXPECT_STREQ(e.ClassName(), "EInOutError");
      EXPECT_EQ(e.ErrorCode(), ERROR_SHARING_VIOLATION);
      std::string reason = GetErrorString(ERROR_SHARING_VIOLATION);
      while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
      EXPECT_EQ(std::string(e.what()), "Nie można otworzyć pliku \"" + LogPath() + "\". " + reason);
    }
  }
  EXPECT_EQ(ReadFileBytes(LogPath()), before);
}

TEST_F(UpdateLogFile, BesideReadersALineIsWrittenWhileAViewerReadsTheLog) {
  WriteUpdateLog("prog.exe", 1, {.name = "prog.exe", .oldVersion = "1", .newVersion = "2"}, exeDir);
  const UniqueFile viewer(CreateFileW(Widen(LogPath()).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(viewer);
  EXPECT_THROW(WriteUpdateLog("a.exe", 1, {.name = "a.exe"}, exeDir), EInOutError);  // nobody else's
  WriteUpdateLog("prog.exe", 1, {.name = "prog.exe", .oldVersion = "2", .newVersion = "3"}, exeDir, true);
  EXPECT_EQ(Count(ReadFileBytes(LogPath()), "prog.exe from"), 2u);
}

TEST_F(UpdateLogFile, LogThatCannotBeCreatedRaises) {
  exeDir = dir_ / "no such directory";
  try {
    WriteUpdateLog("prog.exe", 1, {.name = "prog.exe", .oldVersion = "1", .newVersion = "2"}, exeDir);
    ADD_FAILURE() << "no error raised";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(std::string(e.what()).rfind("Nie można utworzyć pliku \"" + exeDir + "\\_updatefiles.LOG\". ", 0), 0u)
        << e.what();
    EXPECT_EQ(std::string(e.what()).find_first_of("\r\n"), std::string::npos);
  }
  // A directory in the log's place.
  exeDir = dir_.path();
  MakeDir(LogPath());
  EXPECT_THROW(WriteUpdateLog("prog.exe", 1, {.name = "prog.exe", .oldVersion = "1", .newVersion = "2"}, exeDir),
               EInOutError);
}

// Run again under Polish and English settings (tests/CMakeLists.txt): the
// line follows the user's short date and long time formats.
class UpdateLogInUserLocale : public UpdateLogFile {};

TEST_F(UpdateLogInUserLocale, LineFollowsTheSystemsOwnFormats) {
  const char* lang = std::getenv("LANG");
  const std::string locale = lang ? std::string(lang).substr(0, 5) : "";
  if (locale == "pl_PL") {
    EXPECT_EQ(GetUserDefaultLCID(), 0x0415u) << "the Polish locale is not generated";
  }
  if (locale == "en_US") {
    EXPECT_EQ(GetUserDefaultLCID(), 0x0409u) << "the English locale is not generated";
  }

  SYSTEMTIME before;
  SYSTEMTIME after;
  GetLocalTime(&before);
  WriteUpdateLog("prog.exe", 2,
                 {.name = "prog.exe", .oldDate = At(2023, 12, 31, 23, 59, 58), .newDate = At(2024, 1, 2, 10, 0, 0)},
                 exeDir);
  GetLocalTime(&after);
  const std::string line = ReadFileBytes(LogPath());

  const std::string tail = " - prog.exe from [" + SystemText(true, Local(2023, 12, 31)) + "] to [" +
                           SystemText(true, Local(2024, 1, 2)) + "]\r\n";
  ASSERT_TRUE(EndsWith(line, tail)) << line;
  const std::string now = line.substr(0, line.size() - tail.size());
  EXPECT_TRUE(now == NowText(before) || now == NowText(after)) << now << " | " << NowText(before);

  // And what those formats are known to look like.
  if (GetUserDefaultLCID() == 0x0415) {
    EXPECT_TRUE(std::regex_match(line, std::regex(R"(\d{1,2}\.\d\d\.\d{4}( \d\d:\d\d:\d\d)? - )"
                                                  R"(prog\.exe from \[31\.12\.2023\] to \[2\.01\.2024\]\r\n)")))
        << line;
  }
  if (GetUserDefaultLCID() == 0x0409) {
    EXPECT_TRUE(std::regex_match(line, std::regex(R"(\d{1,2}/\d{1,2}/\d{4}( \d{1,2}:\d\d:\d\d [AP]M)? - )"
                                                  R"(prog\.exe from \[12/31/2023\] to \[1/2/2024\]\r\n)")))
        << line;
  }
}

}  // namespace
}  // namespace kolvex::test
