#include <windows.h>

#include "common/Exceptions.h"
#include "common/Integers.h"
#include "common/win32/DateTime.h"
#include "common/win32/Utf.h"

namespace kolvex {

namespace {

// The years a packed date-time stamp can hold.
constexpr WORD kPackedFirstYear = 1980;
constexpr WORD kPackedLastYear = 2107;

SYSTEMTIME ToSystemTime(const CalendarTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  st.wMilliseconds = static_cast<WORD>(t.millisecond);
  return st;  // the system works out the day of the week itself
}

CalendarTime FromSystemTime(const SYSTEMTIME& st) {
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

int RenderShortDate(const SYSTEMTIME* st, wchar_t* out, int size) {
  return GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, st, nullptr, out, size);
}

int RenderLongTime(const SYSTEMTIME* st, wchar_t* out, int size) {
  return GetTimeFormatW(LOCALE_USER_DEFAULT, 0, st, nullptr, out, size);
}

// Either of the above: ask for the length, then fill.
std::string RenderWith(int (*render)(const SYSTEMTIME*, wchar_t*, int), const CalendarTime& t) {
  const SYSTEMTIME st = ToSystemTime(t);
  const int size = render(&st, nullptr, 0);
  std::wstring text(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size <= 0 || render(&st, text.data(), size) != size) {
    std::string message = "Invalid argument to date format: " + FormatInteger(t.year, 4);
    for (const auto& [separator, value] :
         {std::pair{'-', t.month}, {'-', t.day}, {' ', t.hour}, {':', t.minute}, {':', t.second}}) {
      message += separator;
      message += FormatInteger(value, 2);
    }
    throw EConvertError(message);
  }
  text.resize(static_cast<size_t>(size) - 1);  // the terminating NUL
  return Narrow(text);
}

class UserFormats final : public DateTimeFormats {
 public:
  std::string ShortDate(const CalendarTime& t) const override { return RenderWith(RenderShortDate, t); }
  std::string LongTime(const CalendarTime& t) const override { return RenderWith(RenderLongTime, t); }
};

}  // namespace

DateTime Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return EncodeDateTime(FromSystemTime(st)).value();
}

const DateTimeFormats& UserDateTimeFormats() {
  static const UserFormats formats;
  return formats;
}

std::optional<DateTime> FileDateTimeLocal(const std::string& fileName) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Widen(fileName).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  FILETIME local;
  SYSTEMTIME st;
  // Only a time beyond the year 30827 fails here; no file carries one.
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &st))
    return std::nullopt;
  WORD date = 0;
  WORD time = 0;
  if (st.wYear >= kPackedFirstYear && st.wYear <= kPackedLastYear && FileTimeToDosDateTime(&local, &date, &time))
    return FromPackedDateTime(date, time);
  // A packed stamp cannot hold this year (some systems wrap it round instead
  // of failing): the same 2-second steps, taken from the full time.
  CalendarTime c = FromSystemTime(st);
  c.second -= c.second % 2;
  c.millisecond = 0;
  return EncodeDateTime(c);
}

}  // namespace kolvex
