#include "common/CopyVerifiedCore.h"

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

// The temporary copy is removed on every way out except the one that put it
// in the destination's place. A file of its name is a leftover of a run that
// was stopped half-way, and goes first.
class TemporaryCopy {
 public:
  TemporaryCopy(CopySystem& system, std::string path) : system_(system), path_(std::move(path)) {
    system_.Remove(path_);
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
bool CopyAndCheck(const std::string& source, const std::string& destination, CopySystem& system, std::string& reason) {
  const auto fail = [&reason](std::string_view why) {
    reason = why;
    return false;
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

  TemporaryCopy copy(system, TemporaryCopyName(destination));
  if (auto error = system.Copy(source, copy.path())) return fail(*error);
  if (!system.FileExists(copy.path())) return fail(kCopyNotFound);
  if (system.GetFileSizeByName(copy.path()) != sourceSize) return fail(kSizeDiffers);
  if (auto error = system.MoveOver(copy.path(), destination)) return fail(*error);
  copy.Placed();
  return true;
}

std::string FailureMessage(const std::string& source, const std::string& reason) {
  return "Błąd kopiowania pliku: " + ExtractFileName(source) + "\r\r" + reason;
}

}  // namespace

std::string TemporaryCopyName(std::string_view destination) {
  const size_t name = destination.find_last_of("\\/:") + 1;  // 0 when there is no directory part
  std::string temporary(destination.substr(0, name));
  temporary += '~';
  temporary += destination.substr(name);
  temporary += ".kolvex-tmp";
  return temporary;
}

bool CopyFileVerified(const std::string& source, const std::string& destination, CopySystem& system,
                      const ErrorSink& showError) {
  std::string reason(kUnknownError);
  bool copied = false;
  try {
    copied = CopyAndCheck(source, destination, system, reason);
  } catch (...) {
    showError(FailureMessage(source, reason));
    throw;
  }
  if (!copied) showError(FailureMessage(source, reason));
  return copied;
}

}  // namespace kolvex
