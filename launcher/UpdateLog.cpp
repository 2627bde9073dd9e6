#include "launcher/UpdateLog.h"

#include "common/Global.h"
#include "launcher/biblKolvex.h"

namespace kolvex {

std::string UpdateLogPath(const std::string& fileName, const std::string& exeDir, const std::string& launcherPath) {
  if (fileName.empty()) return ChangeFileExt(launcherPath, ".LOG");
  return JoinPath(exeDir, ChangeFileExt("_updatefiles.set", ".LOG"));
}

std::string UpdateLogLine(const UpdateLogEntry& entry, DateTime now, const DateTimeFormats& formats) {
  std::string from;
  std::string to;
  switch (entry.compareMode) {
    case kCompareByVersion:
      from = entry.oldVersion;
      to = entry.newVersion;
      break;
    case kCompareByDate:
      from = FormatShortDate(entry.oldDate, formats);
      to = FormatShortDate(entry.newDate, formats);
      break;
    default:
      return {};
  }
  return FormatDateAndTime(now, formats) + " - " + ExtractFileName(entry.name) + " from [" + from + "] to [" + to +
         "]\r\n";
}

}  // namespace kolvex
