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
#include "files/FileFacts_win32.h"
#include "update/StartReport_win32.h"

namespace kolvex {

namespace {

// The markers for version one listing of dir gives (IsFailureMarker: the
// rule of CountFailureMarkers); nothing when the folder cannot be read (a
// folder with no such name has none).
std::optional<uint32_t> CountMarkers(const std::string& dir, const std::string& version) {
  const std::string pattern = FailureMarkerPattern(version);
  WIN32_FIND_DATAW found;
  const UniqueFind find(FindFirstFileW(WideLongPath(JoinPath(dir, pattern)).c_str(), &found));
  uint32_t count = 0;
  if (!find) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return count;
    return std::nullopt;
  }
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      count += IsFailureMarker(Narrow(found.cFileName), std::string_view(pattern).substr(1));
  } while (FindNextFileW(find.get(), &found));
  if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
  return count;
}

// Once given up on, it belongs to its thread and is never freed.
struct DecisionWork final : BoundedWork {
  // The installation's names only: its signer rule is not needed here.
  DecisionWork(const Installation& installation, const std::string& reportDir, DWORD limitMs)
      : BoundedWork(limitMs),
        installation{.exeDir = installation.exeDir, .sharedDir = installation.sharedDir,
                     .targetName = installation.targetName},
        reportDir(reportDir) {}
  void Run(RequestWatch& watch) override {
    WindowsFileFacts facts;
    const std::string file = JoinPath(installation.sharedDir, std::string(kReleaseFileName));
    DWORD error = 0;
    // The share's program is asked in the same request, only when there is a release file.
    const std::optional<std::string> bytes = watch.Ask([&] {
      std::optional<std::string> read = ReadWholeFile(LongPathForm(file));
      error = GetLastError();
      if (read) release.shareVersion = facts.FileVersion(JoinPath(installation.sharedDir, installation.targetName));
      return read;
    });
    release.fileFound = bytes || (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND);
    if (!release.fileFound) return;
    if (bytes) release.file = ParseRelease(DecodeText(*bytes, FromAnsi));
    else release.file.problem = "nie można odczytać pliku: " + GetErrorReason(static_cast<int32_t>(error));
    const std::string program = JoinPath(installation.exeDir, installation.targetName);
    release.installed = FileExists(LongPathForm(program));
    release.installedVersion = facts.FileVersion(program);
    release.computer = ComputerName();
    release.now = Now();
    if (NeedsFailureCount(release)) {
      const std::string& version = release.file.release.version;
      // No report folder, no markers: only a halt by hand stops the release.
      release.failures = 0u;
      if (!reportDir.empty()) {
        release.failures = watch.Ask([&] { return CountMarkers(reportDir, version); });
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


}  // namespace kolvex
