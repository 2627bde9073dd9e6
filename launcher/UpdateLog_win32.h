#pragma once
// The update log written on Windows: in the ANSI code page, with the user's
// date and time formats.
#include <cstdint>
#include <string>

#include "launcher/UpdateLog.h"

namespace kolvex {

// Appends the line to the log of UpdateLogPath (in the ANSI code page),
// creating the file when needed. Raises EInOutError when the log can neither
// be opened nor created, or the line cannot be written.
void WriteUpdateLog(const std::string& fileName, uint8_t compareMode, const ComponentUpdate& update,
                    const std::string& exeDir);

}  // namespace kolvex
