#pragma once
// The turn at the update: one installation is updated by one run at a time,
// and the runs that start meanwhile wait for it.
#include <string>
#include <string_view>

#include "update/InstallationFiles.h"

namespace kolvex {

// What the user reads when another run keeps the turn past the wait's bound
// and there is no installed program to start.
std::string LockWaitTooLongMessage(const std::string& programName);

// What the user reads when the program is not installed and the
// installation directory cannot be written: reason, the system's text.
std::string NotWritableMessage(const std::string& programName, const std::string& reason);

}  // namespace kolvex
