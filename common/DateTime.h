#pragma once
// The system's date-time value: days since 30 December 1899, the time of day
// as the fraction.
#include <cstdint>
#include <optional>
#include <string>

namespace kolvex {

struct DateTime {
  double value = 0.0;
  friend bool operator==(DateTime, DateTime) = default;
};

// A date and time of day as a calendar shows them (Gregorian calendar, years
// 1 to 9999); day 0 of DateTime by default.
struct CalendarTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

// Nothing for a date or time that does not exist (31 April, 24:00, year 0).
std::optional<DateTime> EncodeDateTime(const CalendarTime& time);

// Rounded to the millisecond. Before day 0 the fraction still counts from
// midnight forwards: -1.25 is 29 December 1899, 6:00. Raises EConvertError
// for NaN, infinities and values beyond the years 1 to 9999.
CalendarTime DecodeDateTime(DateTime time);

// A packed (FAT) date and time stamp: years 1980 to 2107, even seconds.
// Nothing for fields no calendar holds (month 0, 30 February, 25 o'clock).
std::optional<DateTime> FromPackedDateTime(uint16_t date, uint16_t time);

// The user's own short date and long time formats, as the system renders them.
class DateTimeFormats {
 public:
  virtual std::string ShortDate(const CalendarTime& time) const = 0;
  virtual std::string LongTime(const CalendarTime& time) const = 0;

 protected:
  ~DateTimeFormats() = default;
};

// The short date, then a blank and the long time unless the time is
// midnight to the second (milliseconds are not looked at).
std::string FormatDateAndTime(DateTime time, const DateTimeFormats& formats);
std::string FormatShortDate(DateTime time, const DateTimeFormats& formats);

// YYYY-MM-DD hh:mm:ss whatever the user's formats: for files that other
// computers read and sort. Raises EConvertError as DecodeDateTime does.
std::string FormatSortableDateTime(DateTime time);

}  // namespace kolvex
