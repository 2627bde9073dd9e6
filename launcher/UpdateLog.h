#pragma once
// The update log: one line per refreshed file, appended to _updatefiles.LOG.
#include <cstdint>
#include <string>

#include "common/DateTime.h"

namespace kolvex {

// Raises EInOutError when the log can neither be opened nor created.
void WriteUpdateLog(const std::string& fileName, uint8_t compareMode, const std::string& name,
                    const std::string& oldVersion, const std::string& newVersion, DateTime oldDate,
                    DateTime newDate);

}  // namespace kolvex
