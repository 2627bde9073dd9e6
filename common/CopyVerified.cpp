#include "common/CopyVerifiedCore.h"

#include <algorithm>

#include "common/Global.h"
#include "common/Probes.h"

namespace kolvex {

namespace {

constexpr std::string_view kUnknownError = "Nieznany błąd.";
constexpr std::string_view kNoSourceDiskette = "Brak dyskietki źródłowej w stacji.";
constexpr std::string_view kNoSourceFile = "Brak pliku źródłowego.";
constexpr std::string_view kNoDiskette = "Brak dyskietki w stacji.";
constexpr std::string_view kNoRoomOnDiskette = "Brak miejsca na dyskietce.";
constexpr std::string_view kNoRoomOnDisk = "Brak miejsca na dysku docelowym.";
constexpr std::string_view kCopyNotFound = "Nie odnaleziono pliku po skopiowaniu.";
constexpr std::string_view kSizeDiffers = "Rozmiar po skopiowaniu pliku jest różny od rozmiaru pliku źródłowego.";

// A floppy needs the file plus a little for its directory entry.
constexpr int64_t kFloppySlackBytes = 100;

constexpr std::string_view kTemporaryPrefix = "~";
constexpr std::string_view kTemporarySuffix = ".kolvex-tmp";

// Holds, within a second in all, pass: a virus scanner reads a fresh
// program in milliseconds, a closing program is gone soon after its window.
// A longer hold is a program in use, and the user should hear of it now.
constexpr uint32_t kFileRetryWindowMs = 1000;

// The temporary copy is removed on every way out except the one that put it
// in the destination's place. Copies of runs that were stopped half-way go
// first, this run's own name included (a reused process id).
class TemporaryCopy {
 public:
  TemporaryCopy(CopySystem& system, const std::string& destination)
      : system_(system), path_(TemporaryCopyName(destination, system.ProcessId())) {
    system_.RemoveLeftovers(destination);
  }
  ~TemporaryCopy() {
    if (!placed_) system_.Remove(path_);
  }
  TemporaryCopy(const TemporaryCopy&) = delete;
  TemporaryCopy& operator=(const TemporaryCopy&) = delete;

  const std::string& path() const { return path_; }
  void Placed() { placed_ = true; }

 private:
  CopySystem& system_;
  std::string path_;
  bool placed_ = false;
};

// The checks in their order; the first that fails sets the reason and ends them.
CopyResult CopyAndCheck(const std::string& source, const std::string& destination, CopySystem& system,
                        const CopyAcceptance& accept, std::string& reason) {
  const auto fail = [&reason](std::string_view why) {
    reason = why;
    return CopyResult::Failed;
  };

  // IsFloppyPath first: IsDriveReady then only ever sees A or B.
  if (IsFloppyPath(source) && !system.IsDriveReady(GetCharAt(source, 1))) return fail(kNoSourceDiskette);
  if (!system.FileExists(source)) return fail(kNoSourceFile);

  const int64_t sourceSize = system.GetFileSizeByName(source);

  if (IsFloppyPath(destination)) {
    const char drive = GetCharAt(destination, 1);
    if (!system.IsDriveReady(drive)) return fail(kNoDiskette);
    // A failed query (-1) ends here too.
    if (system.GetFloppyFreeBytes(drive) < sourceSize + kFloppySlackBytes) return fail(kNoRoomOnDiskette);
  } else {
    // 0 or less (a failed query, or fewer than 1024 free clusters) skips the test.
    const int64_t freeKB = system.GetFreeSpaceKB(destination);
    if (freeKB > 0 && freeKB < sourceSize / 1024) return fail(kNoRoomOnDisk);
  }

  TemporaryCopy copy(system, destination);
  if (auto error = system.Copy(source, copy.path())) return fail(*error);
  if (!system.FileExists(copy.path())) return fail(kCopyNotFound);
  if (system.GetFileSizeByName(copy.path()) != sourceSize) return fail(kSizeDiffers);
  if (accept && !accept(copy.path())) return CopyResult::Refused;
  if (auto error = system.MoveOver(copy.path(), destination)) return fail(*error);
  copy.Placed();
  return CopyResult::Copied;
}

std::string FailureMessage(const std::string& source, const std::string& reason) {
  return "Błąd kopiowania pliku: " + ExtractFileName(source) + "\r\r" + reason;
}

// The temporary name with owner in place of the process id.
std::string TemporaryName(std::string_view destination, std::string_view owner) {
  const size_t name = destination.find_last_of("\\/:") + 1;  // 0 when there is no directory part
  std::string temporary(destination.substr(0, name));
  temporary += kTemporaryPrefix;
  temporary += destination.substr(name);
  temporary += '.';
  temporary += owner;
  temporary += kTemporarySuffix;
  return temporary;
}

}  // namespace

std::string TemporaryCopyName(std::string_view destination, uint32_t processId) {
  return TemporaryName(destination, FormatInteger(processId));
}

std::string TemporaryCopyPattern(std::string_view destination) { return TemporaryName(destination, "*"); }

bool IsTemporaryCopyOf(std::string_view destinationName, std::string_view entryName) {
  const size_t fixed = kTemporaryPrefix.size() + destinationName.size() + 1 + kTemporarySuffix.size();
  if (entryName.size() <= fixed || !entryName.starts_with(kTemporaryPrefix) || !entryName.ends_with(kTemporarySuffix))
    return false;
  entryName.remove_prefix(kTemporaryPrefix.size());
  entryName.remove_suffix(kTemporarySuffix.size());
  // The file system compares names without regard to case; ASCII folding is
  // enough here, the rest of the name must match as written.
  if (!SameTextIgnoringAsciiCase(destinationName, entryName.substr(0, destinationName.size()))) return false;
  entryName.remove_prefix(destinationName.size());
  return entryName.size() > 1 && entryName.front() == '.' &&
         std::all_of(entryName.begin() + 1, entryName.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool ShouldRetryFileOperation(uint32_t error, uint32_t elapsedMs) {
  const bool transient =
      error == kErrorAccessDenied || error == kErrorSharingViolation || error == kErrorLockViolation;
  return transient && elapsedMs < kFileRetryWindowMs;
}

CopyResult CopyFileVerified(const std::string& source, const std::string& destination, CopySystem& system,
                            const ErrorSink& showError, const CopyAcceptance& accept) {
  std::string reason(kUnknownError);
  CopyResult result = CopyResult::Failed;
  try {
    result = CopyAndCheck(source, destination, system, accept, reason);
  } catch (...) {
    showError(FailureMessage(source, reason));
    throw;
  }
  if (result == CopyResult::Failed) showError(FailureMessage(source, reason));
  return result;
}

}  // namespace kolvex
