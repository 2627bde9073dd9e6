#include "common/DateTime.h"

#include <chrono>
#include <cmath>

#include "common/Exceptions.h"
#include "common/Integers.h"

namespace kolvex {

namespace {

namespace chrono = std::chrono;

constexpr int64_t kMsPerDay = 86'400'000;
constexpr chrono::sys_days kDayZero = chrono::year{1899} / chrono::December / 30;
constexpr int64_t kFirstDay = (chrono::sys_days{chrono::year{1} / chrono::January / 1} - kDayZero).count();
constexpr int64_t kLastDay = (chrono::sys_days{chrono::year{9999} / chrono::December / 31} - kDayZero).count();

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

// Whole days tell which value it was: printf's "%g" would add 25 KB to the
// program. NaN and values beyond 64-bit whole numbers are only described.
[[noreturn]] void RaiseInvalidValue(double value) {
  const std::string days =
      std::fabs(value) < 1e18 ? FormatInteger(static_cast<int64_t>(value)) : "too large or not a number";
  throw EConvertError("Invalid date-time value " + days);
}

}  // namespace

std::optional<DateTime> EncodeDateTime(const CalendarTime& t) {
  if (!InRange(t.year, 1, 9999) || !InRange(t.month, 1, 12) || !InRange(t.day, 1, 31)) return std::nullopt;
  const chrono::year_month_day date{chrono::year{t.year}, chrono::month{static_cast<unsigned>(t.month)},
                                    chrono::day{static_cast<unsigned>(t.day)}};
  if (!date.ok() || !InRange(t.hour, 0, 23) || !InRange(t.minute, 0, 59) || !InRange(t.second, 0, 59) ||
      !InRange(t.millisecond, 0, 999))
    return std::nullopt;
  const double days = static_cast<double>((chrono::sys_days{date} - kDayZero).count());
  const int64_t ms = ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000 + t.millisecond;
  const double fraction = static_cast<double>(ms) / kMsPerDay;
  // Before day 0 the whole value is negative while the time still counts forwards.
  return DateTime{days < 0 ? days - fraction : days + fraction};
}

CalendarTime DecodeDateTime(DateTime t) {
  // Checked before rounding: NaN and huge values have no millisecond count.
  if (!(std::fabs(t.value) <= static_cast<double>(kLastDay + 1))) RaiseInvalidValue(t.value);
  const int64_t total = std::llround(t.value * kMsPerDay);
  const int64_t days = total / kMsPerDay;  // towards zero, as the sign convention needs
  if (days < kFirstDay || days > kLastDay) RaiseInvalidValue(t.value);
  const int64_t ms = std::abs(total % kMsPerDay);

  const chrono::year_month_day date{kDayZero + chrono::days{days}};
  CalendarTime c;
  c.year = static_cast<int>(date.year());
  c.month = static_cast<int>(static_cast<unsigned>(date.month()));
  c.day = static_cast<int>(static_cast<unsigned>(date.day()));
  c.hour = static_cast<int>(ms / 3'600'000);
  c.minute = static_cast<int>(ms / 60'000 % 60);
  c.second = static_cast<int>(ms / 1000 % 60);
  c.millisecond = static_cast<int>(ms % 1000);
  return c;
}

std::optional<DateTime> FromPackedDateTime(uint16_t date, uint16_t time) {
  return EncodeDateTime({.year = 1980 + (date >> 9),
                         .month = (date >> 5) & 0x0F,
                         .day = date & 0x1F,
                         .hour = time >> 11,
                         .minute = (time >> 5) & 0x3F,
                         .second = (time & 0x1F) * 2});
}

std::string FormatDateAndTime(DateTime time, const DateTimeFormats& formats) {
  const CalendarTime c = DecodeDateTime(time);
  std::string text = formats.ShortDate(c);
  if (c.hour != 0 || c.minute != 0 || c.second != 0) {
    text += ' ';
    text += formats.LongTime(c);
  }
  return text;
}

std::string FormatShortDate(DateTime time, const DateTimeFormats& formats) {
  return formats.ShortDate(DecodeDateTime(time));
}

std::string FormatSortableDateTime(DateTime time) {
  const CalendarTime c = DecodeDateTime(time);
  return FormatInteger(c.year, 4) + "-" + FormatInteger(c.month, 2) + "-" + FormatInteger(c.day, 2) + " " +
         FormatInteger(c.hour, 2) + ":" + FormatInteger(c.minute, 2) + ":" + FormatInteger(c.second, 2);
}

}  // namespace kolvex
