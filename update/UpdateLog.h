#pragma once
// The update log: one line per refreshed file, appended to _updatefiles.LOG.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/DateTime.h"
#include "update/InstallationFiles.h"
#include "update/UpdateOutcome.h"

namespace kolvex {

// kUpdateLogName in exeDir for a named component, otherwise the launcher's
// own path with the extension ".LOG".
std::string UpdateLogPath(const std::string& fileName, const std::string& exeDir, const std::string& launcherPath);

// "now - FILE from [old] to [new]" and CR LF: versions in mode 1, short dates
// in mode 2; the empty string for any other mode. Any length.
std::string UpdateLogLine(uint8_t compareMode, const ComponentUpdate& update, DateTime now,
                          const DateTimeFormats& formats);

// "now - FILE czeka: " kWaitingReason and CR LF: a listed file left as it
// was for this start.
std::string UpdateLogWaitingLine(const ComponentUpdate& update, DateTime now, const DateTimeFormats& formats);

}  // namespace kolvex
