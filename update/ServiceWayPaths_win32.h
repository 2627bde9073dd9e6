#pragma once
// ServiceWayPathFault with the drive kind the system reports to this process.
#include <optional>
#include <string>

#include "update/Settings.h"

namespace kolvex {

// Why the service cannot reach the settings' SHARED_DIR or REPORT_DIR (the
// first at fault), or nothing.
std::optional<std::string> ServiceWayPathsRefusal(const Settings& settings);

}  // namespace kolvex
