#pragma once
// The update log: one line per refreshed file, appended to _updatefiles.LOG.
#include <cstdint>
#include <string>

#include "common/DateTime.h"

namespace kolvex {

// What one refreshed file leaves in the log.
struct UpdateLogEntry {
  uint8_t compareMode = 0;  // kCompareByVersion or kCompareByDate; any other mode writes nothing
  std::string name;         // the resolved component name; its file-name part is written
  std::string oldVersion;   // "brak" when there was no installed file
  std::string newVersion;
  DateTime oldDate;  // day 0 when there was no installed file
  DateTime newDate;
};

// _updatefiles.LOG in exeDir for a named component, otherwise the launcher's
// own path with the extension ".LOG".
std::string UpdateLogPath(const std::string& fileName, const std::string& exeDir, const std::string& launcherPath);

// "now - FILE from [old] to [new]" and CR LF: versions in mode 1, short dates
// in mode 2; the empty string for any other mode. Any length.
std::string UpdateLogLine(const UpdateLogEntry& entry, DateTime now, const DateTimeFormats& formats);

// Appends the line to the log (in the ANSI code page), creating the file when
// needed. Raises EInOutError when the log can neither be opened nor created,
// or the line cannot be written.
void WriteUpdateLog(const std::string& fileName, uint8_t compareMode, const std::string& name,
                    const std::string& oldVersion, const std::string& newVersion, DateTime oldDate, DateTime newDate);

}  // namespace kolvex
