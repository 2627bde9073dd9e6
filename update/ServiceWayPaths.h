#pragma once
// The folders the per-machine way names (SHARED_DIR, REPORT_DIR) as the
// update service must reach them: it runs as the system, so it knows
// neither a shortcut's start-in folder (a relative path is taken from its
// own working folder) nor a user's mapped network drives (nor does an
// elevated prompt see them). Such a folder is refused, saying to give the
// UNC path.
#include <optional>
#include <string>
#include <string_view>

#include "update/Settings.h"

namespace kolvex {

// What the system says of a path's drive letter, to the process asking.
enum class DriveKind : uint8_t {
  Local,    // a disk of this computer (fixed, removable, optical, RAM)
  Network,  // a network drive
  Missing,  // no such drive here (a mapping of another session)
};

// Why the service cannot reach path (for the key named), or nothing: a
// path that is neither X:\... nor \\server\share is relative; a drive
// letter that is not a local disk (drive says, asked only for such a path).
std::optional<std::string> ServiceWayPathFault(std::string_view key, std::string_view path, DriveKind drive);

// The drive letter of an absolute X:\ path; 0 for any other path.
char DriveLetterOf(std::string_view path);

}  // namespace kolvex
