#include "files/CopyVerified.h"

#include "common/Integers.h"
#include "common/Paths.h"
#include "common/ScopeExit.h"
#include "common/Text.h"
#include "files/Probes.h"

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

// A leftover's suffix keeps it from being taken for the file itself (no
// program loads "~prog.dll.77.kolvex-old" for "prog.dll"), and its prefix
// keeps it apart from the installation's own names.
constexpr std::string_view kTemporaryPrefix = "~";
constexpr std::string_view kTemporarySuffix = ".kolvex-tmp";
constexpr std::string_view kMovedAsideSuffix = ".kolvex-old";

// The checks in their order; the first that fails sets the reason and ends them.
CopyResult CopyAndCheck(const std::string& source, const std::string& destination, CopySystem& system,
                        const CopyAcceptance& accept, const CopyProgress& progress, std::string& reason) {
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

  // What runs that have ended left beside the destination goes first, this
  // run's own name included (a reused process id). The temporary copy is
  // removed on every way out except the one that put it in the
  // destination's place.
  system.RemoveLeftovers(destination);
  const std::string copy = TemporaryCopyName(destination, system.ProcessId());
  ScopeExit removeCopy([&] { system.Remove(copy); });
  // One that an ended run of the same process id left goes first: the copy
  // is made new (Copy), never written through a file that is there.
  system.Remove(copy);
  if (auto error = system.Copy(source, copy, progress)) return fail(*error);
  if (!system.FileExists(copy)) return fail(kCopyNotFound);
  if (system.GetFileSizeByName(copy) != sourceSize) return fail(kSizeDiffers);
  if (accept && !accept(copy)) return CopyResult::Refused;
  if (auto error = system.MoveOver(copy, destination)) return fail(*error);
  removeCopy.Dismiss();
  return CopyResult::Copied;
}

std::string FailureMessage(const std::string& source, const std::string& reason) {
  return "Błąd kopiowania pliku: " + ExtractFileName(source) + "\r\r" + reason;
}

// The leftover's name with owner in place of the process id.
std::string LeftoverName(std::string_view destination, std::string_view owner, std::string_view suffix) {
  const size_t name = destination.find_last_of("\\/:") + 1;  // 0 when there is no directory part
  std::string temporary(destination.substr(0, name));
  temporary += kTemporaryPrefix;
  temporary += destination.substr(name);
  temporary += '.';
  temporary += owner;
  temporary += suffix;
  return temporary;
}

}  // namespace

std::string TemporaryCopyName(std::string_view destination, uint32_t processId) {
  return LeftoverName(destination, FormatInteger(processId), kTemporarySuffix);
}

std::string MovedAsideName(std::string_view destination, uint32_t processId) {
  return LeftoverName(destination, FormatInteger(processId), kMovedAsideSuffix);
}

bool IsMovedAsideName(std::string_view entryName) { return entryName.ends_with(kMovedAsideSuffix); }

std::string LeftoverPattern(std::string_view destination) {
  return LeftoverName(destination, "*", "");
}

std::optional<uint32_t> LeftoverOwner(std::string_view destinationName, std::string_view entryName) {
  if (!entryName.starts_with(kTemporaryPrefix) ||
      !(entryName.ends_with(kTemporarySuffix) || entryName.ends_with(kMovedAsideSuffix)))
    return std::nullopt;
  static_assert(kTemporarySuffix.size() == kMovedAsideSuffix.size());
  entryName.remove_prefix(kTemporaryPrefix.size());
  entryName.remove_suffix(kTemporarySuffix.size());
  // The file system's rule for names: the leftover may carry the name in
  // another case than the destination as given.
  if (entryName.size() < destinationName.size() + 2 ||
      !SameFileName(destinationName, entryName.substr(0, destinationName.size())) ||
      entryName[destinationName.size()] != '.')
    return std::nullopt;
  entryName.remove_prefix(destinationName.size() + 1);
  // A process id has at most ten digits and fits 32 bits.
  if (entryName.size() > 10) return std::nullopt;
  uint64_t owner = 0;
  for (const char c : entryName) {
    if (c < '0' || c > '9') return std::nullopt;
    owner = owner * 10 + static_cast<uint64_t>(c - '0');
  }
  if (owner > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(owner);
}

CopyResult CopyFileVerified(const std::string& source, const std::string& destination, CopySystem& system,
                            const ErrorSink& failure, const CopyAcceptance& accept, const CopyProgress& progress) {
  std::string reason(kUnknownError);
  CopyResult result = CopyResult::Failed;
  try {
    result = CopyAndCheck(source, destination, system, accept, progress, reason);
  } catch (...) {
    failure(FailureMessage(source, reason));
    throw;
  }
  if (result == CopyResult::Failed) failure(FailureMessage(source, reason));
  return result;
}

}  // namespace kolvex
