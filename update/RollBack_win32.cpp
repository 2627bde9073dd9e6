#include "update/RollBack_win32.h"

#include <windows.h>

#include "common/Paths.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "common/win32/DateTime.h"
#include "update/Backup.h"
#include "update/UpdateLog_win32.h"

namespace kolvex {

namespace {

std::string RollBackDir(const Installation& installation) {
  return JoinPath(installation.exeDir, std::string(kRollBackDirName));
}

}  // namespace

void KeepForRollBack(const Installation& installation, const std::vector<ComponentUpdate>& updates) noexcept {
  try {
    const std::string dir = RollBackDir(installation);
    WIN32_FIND_DATAW found;
    if (const UniqueFind find(FindFirstFileW(WideLongPath(JoinPath(dir, "*")).c_str(), &found)); find) {
      do DeleteFileW(WideLongPath(JoinPath(dir, Narrow(found.cFileName))).c_str());
      while (FindNextFileW(find.get(), &found));
    }
    CreateDirectoryW(WideLongPath(dir).c_str(), nullptr);
    for (const ComponentUpdate& update : updates)
      CopyFileW(WideLongPath(BackupName(update.dst, "")).c_str(), WideLongPath(JoinPath(dir, update.name)).c_str(),
                FALSE);
  } catch (...) {
    // Without it the halted release keeps what it has, and says so.
  }
}

bool RollBackSource(const Installation& installation, Installation& source) {
  source.exeDir = installation.exeDir;
  source.targetName = installation.targetName;
  source.sharedDir = RollBackDir(installation);
  return FileExists(LongPathForm(JoinPath(source.sharedDir, source.targetName)));
}

void WriteRollBackLog(const std::string& version, const std::string& exeDir) {
  // Into the installation's own log, whoever writes it (the service, beside
  // its readers as it writes the update's lines).
  AppendToUpdateLog(std::string(kUpdateLogName), exeDir,
                    FormatDateAndTime(Now(), UserDateTimeFormats()) + " - wycofanie wersji " + version +
                        ": wracają kopie zapasowe\r\n",
                    true);
}

}  // namespace kolvex
