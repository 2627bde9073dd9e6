#pragma once
// The service's only way to say something of its own: the system's
// Application event log, under the service's name as its source. It shows
// no window on any path.
#include <windows.h>

#include <string_view>

namespace kolvex {

// One event with the text; nothing happens when the log cannot be written.
void LogEvent(WORD type, std::string_view text) noexcept;

// From here on, whatever would end the process with the system's or the
// runtime's report (an exception nobody catches, a call to terminate) is
// written to the log instead, and the process ends at once.
void ReportCrashesToTheEventLog() noexcept;

}  // namespace kolvex
