#include "update/UpdateLog.h"

#include "common/Paths.h"
#include "update/Components.h"

namespace kolvex {

std::string UpdateLogPath(const std::string& fileName, const std::string& exeDir, const std::string& launcherPath) {
  if (fileName.empty()) return ChangeFileExt(launcherPath, ".LOG");
  return JoinPath(exeDir, kUpdateLogName);
}

std::string UpdateLogLine(uint8_t compareMode, const ComponentUpdate& update, DateTime now,
                          const DateTimeFormats& formats) {
  std::string from;
  std::string to;
  switch (compareMode) {
    case kCompareByVersion:
      from = update.oldVersion;
      to = update.newVersion;
      break;
    case kCompareByDate:
      from = FormatShortDate(update.oldDate, formats);
      to = FormatShortDate(update.newDate, formats);
      break;
    default:
      return {};
  }
  return FormatDateAndTime(now, formats) + " - " + ExtractFileName(update.name) + " from [" + from + "] to [" + to +
         "]\r\n";
}

std::string UpdateLogWaitingLine(const ComponentUpdate& update, DateTime now, const DateTimeFormats& formats) {
  return FormatDateAndTime(now, formats) + " - " + ExtractFileName(update.name) + " czeka: " +
         std::string(kWaitingReason) + "\r\n";
}

}  // namespace kolvex
