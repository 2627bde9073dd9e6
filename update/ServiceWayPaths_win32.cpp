#include "update/ServiceWayPaths_win32.h"

#include <windows.h>

#include "update/ServiceWayPaths.h"

namespace kolvex {

namespace {

DriveKind DriveKindOf(char letter) {
  const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', 0};
  switch (GetDriveTypeW(root)) {
    case DRIVE_REMOTE: return DriveKind::Network;
    case DRIVE_UNKNOWN:
    case DRIVE_NO_ROOT_DIR: return DriveKind::Missing;
    default: return DriveKind::Local;
  }
}

std::optional<std::string> Fault(std::string_view key, const std::string& path) {
  const char letter = DriveLetterOf(path);
  return ServiceWayPathFault(key, path, letter ? DriveKindOf(letter) : DriveKind::Local);
}

}  // namespace

std::optional<std::string> ServiceWayPathsRefusal(const Settings& settings) {
  if (std::optional<std::string> fault = Fault(kSharedDirKey, settings.sharedDir)) return fault;
  if (settings.reportDir.empty()) return std::nullopt;
  return Fault(kReportDirKey, settings.reportDir);
}

}  // namespace kolvex
