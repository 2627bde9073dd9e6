#include "launcher/StartReport_win32.h"

#include <windows.h>

#include <lmcons.h>

#include <memory>

#include "common/CopyVerifiedSystem.h"
#include "common/DateTime.h"
#include "common/FileVer.h"
#include "common/Global.h"
#include "common/win32/Files.h"
#include "common/win32/Utf.h"
#include "launcher/biblKolvex.h"

namespace kolvex {

namespace {

constexpr std::string_view kMissing = "brak";

std::string ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(name, &size) ? Narrow({name, size}) : std::string();
}

std::string UserName() {
  wchar_t name[UNLEN + 1];
  DWORD size = UNLEN + 1;
  return GetUserNameW(name, &size) && size > 0 ? Narrow({name, size - 1}) : std::string();
}

ReportedFile Installed(UpdateSystem& system, const std::string& exeDir, const std::string& name, uint8_t mode) {
  const std::string path = JoinPath(exeDir, name);
  if (!system.Files().FileExists(path)) return {name, std::string(kMissing)};
  return {name, mode == kCompareByDate ? FormatSortableDateTime(system.FileDate(path)) : system.FileVersion(path)};
}

// The report replaced in one step; the previous one gives the failure to keep.
void Replace(const std::string& reportDir, StartReport& report) {
  const std::string path = JoinPath(reportDir, StartReportFileName(report.computer));
  StartReport previous;
  if (const std::optional<std::string> bytes = ReadWholeFile(path); bytes && ParseStartReport(*bytes, previous))
    CarryFailure(previous, report);
  WindowsCopySystem files;
  files.RemoveLeftovers(path);
  ReplaceFileWhole(path, TemporaryCopyName(path, files.ProcessId()), FormatStartReport(report));
}

}  // namespace

StartReport NewStartReport(const std::string& exeDir, const Settings& settings, const std::string& program) {
  UpdateSystem& system = TheUpdateSystem();
  StartReport report{.computer = ComputerName(),
                     .user = UserName(),
                     .time = FormatSortableDateTime(Now()),
                     .installation = exeDir,
                     .launcherVersion = GetFileVersionString(ModuleFileName(), "FileVersion"),
                     .sharedDir = settings.sharedDir,
                     .program = program};
  report.files.push_back(Installed(system, exeDir, program, kCompareByVersion));
  for (const Component& component : settings.components.components) {
    if (!SameTextIgnoringAsciiCase(component.name, program))
      report.files.push_back(Installed(system, exeDir, component.name, component.compareMode));
  }
  return report;
}

void WriteStartReport(const std::string& reportDir, StartReport report, unsigned timeoutMs) {
  Replace(reportDir, report);  // TODO time-box
  (void)timeoutMs;
}

}  // namespace kolvex
