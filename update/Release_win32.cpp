#include "update/Release_win32.h"

#include <windows.h>

#include <memory>

#include "common/Paths.h"
#include "common/Text.h"
#include "common/TextDecode.h"
#include "common/win32/DateTime.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/SystemText.h"
#include "common/win32/TimeBox.h"
#include "common/win32/Utf.h"
#include "files/CopyVerified.h"
#include "files/FileFacts_win32.h"
#include "files/FileRetry_win32.h"
#include "files/WindowsCopySystem_win32.h"
#include "update/StartReport.h"
#include "update/StartReport_win32.h"

namespace kolvex {

namespace {

// The names one listing of dir gives for pattern; nothing when the folder
// cannot be read (a folder with no such name is an empty listing).
std::optional<std::vector<std::string>> ListNames(const std::string& dir, const std::string& pattern) {
  WIN32_FIND_DATAW found;
  const UniqueFind find(FindFirstFileW(WideLongPath(JoinPath(dir, pattern)).c_str(), &found));
  std::vector<std::string> names;
  if (!find) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return names;
    return std::nullopt;
  }
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Narrow(found.cFileName));
  } while (FindNextFileW(find.get(), &found));
  if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
  return names;
}

// Once given up on, it belongs to its thread and is never freed.
struct DecisionWork final : BoundedWork {
  DecisionWork(const Installation& installation, const std::string& reportDir, DWORD limitMs)
      : BoundedWork(limitMs), installation(installation), reportDir(reportDir) {}
  void Run(RequestWatch& watch) override {
    WindowsFileFacts facts;
    const std::string file = JoinPath(installation.sharedDir, std::string(kReleaseFileName));
    DWORD error = 0;
    const std::optional<std::string> bytes = watch.Ask([&] {
      std::optional<std::string> read = ReadWholeFile(LongPathForm(file));
      error = GetLastError();
      return read;
    });
    release.fileFound = bytes || (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND);
    if (!release.fileFound) return;
    if (bytes) release.file = ParseRelease(DecodeText(*bytes, FromAnsi));
    else release.file.problem = "nie można odczytać pliku: " + GetErrorReason(static_cast<int32_t>(error));
    const std::string program = JoinPath(installation.exeDir, installation.targetName);
    release.installed = FileExists(LongPathForm(program));
    release.installedVersion = facts.FileVersion(program);
    release.shareVersion =
        watch.Ask([&] { return facts.FileVersion(JoinPath(installation.sharedDir, installation.targetName)); });
    release.computer = ComputerName();
    release.now = Now();
    if (NeedsFailureCount(release)) {
      const std::string& version = release.file.release->version;
      // No report folder, no markers: only a halt by hand stops the release.
      release.failures = 0u;
      if (!reportDir.empty()) {
        const auto names = watch.Ask([&] { return ListNames(reportDir, FailureMarkerPattern(version)); });
        release.failures.reset();
        if (names) release.failures = CountFailureMarkers(*names, version);
      }
    }
    decision = DecideRelease(release);
  }
  const Installation installation;
  const std::string reportDir;
  ReleaseFacts release;
  ReleaseDecision decision;
};

}  // namespace

bool DecideReleaseHere(const Installation& installation, const std::string& reportDir, uint32_t limitMs,
                       ReleaseDecision& decision) {
  auto work = std::make_unique<DecisionWork>(installation, reportDir, limitMs ? limitMs : INFINITE);
  if (!RunBounded(*work)) {
    work.release();
    return false;
  }
  decision = std::move(work->decision);
  return true;
}

void RecordFailedStart(const std::string& reportDir, const std::string& version, const std::string& what,
                       uint32_t limitMs) noexcept {
  // The computer's report with the line added; the marker is the same text,
  // read back as a report is.
  struct RecordWork final : BoundedWork {
    using BoundedWork::BoundedWork;
    void Run(RequestWatch& watch) override {
      const std::string path = JoinPath(reportDir, StartReportFileName(ComputerName()));
      StartReport report;
      if (const auto bytes = watch.Ask([&] { return ReadWholeFile(LongPathForm(path)); });
          !bytes || !ParseStartReport(*bytes, report)) {
        report.computer = ComputerName();
        report.time = FormatSortableDateTime(Now());
      }
      // "1.0.1.4: 0xC0000135 (brak biblioteki DLL)"
      report.failedStarts.push_back(version + ": " + what);
      const std::string bytes = FormatStartReport(report);
      WindowsCopySystem files;
      for (const std::string& file : {JoinPath(reportDir, FailureMarkerName(ComputerName(), version)), path}) {
        const std::string partial = TemporaryCopyName(file, files.ProcessId());
        RetryWhileHeld([&] {
          return watch.Ask([&] { return ReplaceFileWhole(file, partial, bytes) ? ERROR_SUCCESS : GetLastError(); });
        });
      }
    }
    std::string reportDir, version, what;
  };
  try {
    if (reportDir.empty()) return;
    auto work = std::make_unique<RecordWork>(limitMs ? limitMs : INFINITE);
    work->reportDir = reportDir;
    work->version = version;
    work->what = what;
    if (!RunBounded(*work)) work.release();
  } catch (...) {
    // The administrator's record; the user's program is not its business.
  }
}

}  // namespace kolvex
