#pragma once
// The clock and the user's date and time formats on Windows.
#include <optional>
#include <string>

#include "common/DateTime.h"

namespace kolvex {

// The current local date and time.
DateTime Now();

// GetDateFormatW / GetTimeFormatW in the user's default locale. Raises
// EConvertError for a date the system cannot show (before 1601).
const DateTimeFormats& UserDateTimeFormats();

// The last-write time of an existing file (not a directory) in local time,
// at the 2-second resolution of packed date-time stamps; nothing when there
// is no such file.
std::optional<DateTime> FileDateTimeLocal(const std::string& fileName);

}  // namespace kolvex
