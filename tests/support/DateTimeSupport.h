#pragma once
// Dates for the tests of the portable core and of the Win32 layer alike.
#include <string>

#include "common/DateTime.h"

namespace kolvex::test {

inline CalendarTime Calendar(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                             int ms = 0) {
  return {year, month, day, hour, minute, second, ms};
}

// The same moment as a DateTime; it must lie within the calendar.
inline DateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
  return EncodeDateTime(Calendar(year, month, day, hour, minute, second, ms)).value();
}

// Renders with fixed patterns, so that what is asked of the formats shows.
class FakeFormats final : public DateTimeFormats {
 public:
  std::string ShortDate(const CalendarTime& t) const override {
    return std::to_string(t.day) + "." + std::to_string(t.month) + "." + std::to_string(t.year);
  }
  std::string LongTime(const CalendarTime& t) const override {
    return std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second) + "," +
           std::to_string(t.millisecond);
  }
};

}  // namespace kolvex::test
