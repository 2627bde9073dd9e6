#pragma once
// The update log: one line per refreshed file, appended to _updatefiles.LOG.
#include <cstdint>
#include <string>

#include "common/DateTime.h"
#include "launcher/Update.h"

namespace kolvex {

// _updatefiles.LOG in exeDir for a named component, otherwise the launcher's
// own path with the extension ".LOG".
std::string UpdateLogPath(const std::string& fileName, const std::string& exeDir, const std::string& launcherPath);

// "now - FILE from [old] to [new]" and CR LF: versions in mode 1, short dates
// in mode 2; the empty string for any other mode. Any length.
std::string UpdateLogLine(uint8_t compareMode, const ComponentUpdate& update, DateTime now,
                          const DateTimeFormats& formats);

// Appends the line to the log of UpdateLogPath (in the ANSI code page),
// creating the file when needed. Raises EInOutError when the log can neither
// be opened nor created, or the line cannot be written.
void WriteUpdateLog(const std::string& fileName, uint8_t compareMode, const ComponentUpdate& update,
                    const std::string& exeDir);

}  // namespace kolvex
