#include "update/StartReport_win32.h"

#include <windows.h>

#include <lmcons.h>

#include <memory>

#include "common/Paths.h"
#include "common/Text.h"
#include "common/win32/DateTime.h"
#include "common/win32/Files.h"
#include "common/win32/TimeBox.h"
#include "common/win32/Utf.h"
#include "files/FileFacts_win32.h"
#include "files/FileRetry_win32.h"
#include "files/FileVer_win32.h"
#include "files/WindowsCopySystem_win32.h"
#include "update/ShareProbe_win32.h"
#include "update/Update.h"

namespace kolvex {

namespace {

std::string UserName() {
  wchar_t name[UNLEN + 1];
  DWORD size = UNLEN + 1;
  return GetUserNameW(name, &size) && size > 0 ? Narrow({name, size - 1}) : std::string();
}

bool IsFile(const std::string& path) { return FileExists(LongPathForm(path)); }

// A file of the installation (or of the share) as it is now.
ReportedFile Installed(FileFacts& facts, const std::string& dir, const std::string& name, uint8_t mode) {
  const std::string path = JoinPath(dir, name);
  if (!IsFile(path)) return {name, std::string(kNoInstalledVersion)};
  return {name, mode == kCompareByDate ? FormatSortableDateTime(facts.FileDate(path)) : facts.FileVersion(path)};
}

// Whether the start read the share. A start that found it gone or silent
// is not made to wait for it again; one that left it to the service (or
// never came to it) looks at it now, within the share's time-box.
ShareSight LookAtShare(const std::string& sharedDir, UpdateResult result, bool startReadsShare, uint32_t timeBoxMs) {
  switch (result) {
    case UpdateResult::ShareNotFound:
    case UpdateResult::ShareNotAnswering:
    case UpdateResult::ShareRefused:
    case UpdateResult::ShareStopped:
      return ShareSight::NotSeen;
    case UpdateResult::TurnNotCome:
    case UpdateResult::ServiceUnavailable:
      break;
    default:
      if (startReadsShare) return ShareSight::Seen;
  }
  const std::optional<ShareReply> reply = AskShare(sharedDir, timeBoxMs);
  return reply && reply->found ? ShareSight::Seen : ShareSight::NotSeen;
}

StartReport NewStartReport(const Installation& installation, const std::vector<Component>& components,
                           const UpdateOutcome& outcome, bool startReadsShare, uint32_t timeBoxMs,
                           RequestWatch& watch) {
  WindowsFileFacts facts;
  const std::string& program = installation.targetName;
  StartReport report{.computer = ComputerName(),
                     .user = UserName(),
                     .time = FormatSortableDateTime(Now()),
                     .installation = installation.exeDir,
                     .launcherVersion = GetFileVersionString(ModuleFileName(), "FileVersion"),
                     .sharedDir = installation.sharedDir,
                     .program = program,
                     .shareSight = LookAtShare(installation.sharedDir, outcome.result, startReadsShare, timeBoxMs)};
  SetOutcome(report, outcome);
  std::vector<std::pair<std::string, uint8_t>> files{{program, kCompareByVersion}};
  for (const Component& component : components) {
    if (!SameFileName(component.name, program)) files.emplace_back(component.name, component.compareMode);
  }
  for (const auto& [name, mode] : files) {
    report.files.push_back(Installed(facts, installation.exeDir, name, mode));
    if (report.shareSight != ShareSight::Seen) continue;
    report.sharedFiles.push_back(watch.Ask([&] { return Installed(facts, installation.sharedDir, name, mode); }));
    if (report.sharedFiles.back().version == kNoInstalledVersion) report.missingOnShare.push_back(name);
  }
  return report;
}

// Each touch of the report folder is a request of the watch.
void WriteStartReport(const std::string& reportDir, StartReport report, RequestWatch& watch, uint32_t timeBoxMs) {
  const std::optional<ShareReply> reply = AskShare(reportDir, timeBoxMs);
  if (!reply || !reply->found) return;
  const std::string path = JoinPath(reportDir, StartReportFileName(report.computer));
  StartReport previous;
  if (const std::optional<std::string> bytes = watch.Ask([&] { return ReadWholeFile(LongPathForm(path)); });
      bytes && ParseStartReport(*bytes, previous))
    CarryFailure(previous, report);
  // Starts of other sessions of a terminal server write the same file,
  // and a reader (an editor, a backup tool) may hold it for a moment.
  WindowsCopySystem files;
  watch.Ask([&] { files.RemoveLeftovers(path); });
  const std::string partial = TemporaryCopyName(path, files.ProcessId()), bytes = FormatStartReport(report);
  RetryWhileHeld([&] {
    return watch.Ask([&] { return ReplaceFileWhole(path, partial, bytes) ? ERROR_SUCCESS : GetLastError(); });
  });
}

}  // namespace

std::string ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(name, &size) ? Narrow({name, size}) : std::string();
}

void ReportStart(const std::string& reportDir, const Installation& installation,
                 const std::vector<Component>& components, const UpdateOutcome& outcome,
                 const std::string& notStarted, bool startReadsShare, uint32_t timeBoxMs) noexcept {
  // Once given up on, it belongs to its thread and is never freed.
  struct ReportWork final : BoundedWork {
    using BoundedWork::BoundedWork;
    void Run(RequestWatch& watch) override {
      StartReport report = NewStartReport(installation, components, outcome, startReadsShare, timeBoxMs, watch);
      report.notStarted = notStarted;
      WriteStartReport(reportDir, std::move(report), watch, timeBoxMs);
    }
    std::string reportDir;
    Installation installation;
    std::vector<Component> components;
    UpdateOutcome outcome;
    std::string notStarted;
    bool startReadsShare = false;
    uint32_t timeBoxMs = 0;
  };
  try {
    auto work = std::make_unique<ReportWork>(timeBoxMs ? timeBoxMs : INFINITE);
    work->reportDir = reportDir;
    work->installation = installation;
    work->components = components;
    work->outcome = outcome;
    work->notStarted = notStarted;
    work->startReadsShare = startReadsShare;
    work->timeBoxMs = timeBoxMs;
    if (!RunBounded(*work)) work.release();
  } catch (...) {
    // The report is the administrator's; the user's start is not its business.
  }
}

}  // namespace kolvex
