#include "files/WindowsCopySystem_win32.h"

#include <windows.h>

#include <vector>

#include "common/Exceptions.h"
#include "common/Paths.h"
#include "common/ScopeExit.h"
#include "common/win32/ErrorMode.h"
#include "common/win32/FileIO.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"
#include "files/FileRetry_win32.h"
#include "files/MoveAside.h"
#include "files/Probes.h"

namespace kolvex {

namespace {

DWORD WithoutReadOnly(DWORD attributes) {
  attributes &= ~FILE_ATTRIBUTE_READONLY;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

bool IsReadOnlyFile(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
         !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> TextOf(DWORD error) {
  if (error == ERROR_SUCCESS) return std::nullopt;
  return GetErrorString(static_cast<int32_t>(error));
}

// The replacement's calls on the system, for paths as the copy names them.
class SystemReplacement final : public ReplacementCalls {
 public:
  // For a target that another program holds open the rename reports only
  // "access denied". Opening the target the way a copy over it would (for
  // writing, sharing nothing) names the real reason.
  uint32_t TargetHold(const std::string& to) override {
    const UniqueFile target = OpenForWritingAlone(WideLongPath(to));
    const DWORD error = target ? ERROR_SUCCESS : GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
  }
  uint32_t Replace(const std::string& from, const std::string& to) override {
    return ReplaceByRenaming(WideLongPath(from), WideLongPath(to));
  }
  uint32_t Rename(const std::string& from, const std::string& to) override {
    return RenameFile(WideLongPath(from), WideLongPath(to));
  }
  void Hide(const std::string& path) override {
    const std::wstring wide = WideLongPath(path);
    SetFileAttributesW(wide.c_str(), GetFileAttributesW(wide.c_str()) | FILE_ATTRIBUTE_HIDDEN);
  }
  uint32_t RetryingLong(const std::function<uint32_t()>& attempt) override {
    return RetryWhileHeld(attempt, kOwnFileRetryWindowMs);
  }
};

// The copy is made in pieces of this size: each piece tells how far the copy
// is, and is a sign of life of the share (see update/ShareRequests_win32.h),
// short enough to come within a second over a slow line.
constexpr DWORD kCopyPieceBytes = 256 * 1024;

// The attributes a copy takes from its source, as the system's copy gives
// them: a read-only file on the share gives a read-only installed file.
constexpr DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Copies from's data into a new file to (none of that name may be there:
// the copy never writes into what another user made), piece by piece,
// telling progress after each, and gives it from's last-write time (the date
// a comparison by date reads) and attributes; a copy that fails is removed. The data is on the disk before the call
// returns: after a power cut the program's name must never stand for a
// file whose data never left the cache. Only the file's data is copied, no
// other stream: the system's own copy would take the mark of the web along.
// The system reports progress from its own copy on Windows but not under
// Wine, and its pieces may be megabytes, too long for the share's time-box.
DWORD CopyPieces(const std::wstring& from, const std::wstring& to, const CopyProgress& progress, DWORD sourceFlags) {
  const UniqueFile source = OpenForReadingSharedExceptWriting(from, FILE_FLAG_SEQUENTIAL_SCAN | sourceFlags);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!source || !GetFileInformationByHandle(source.get(), &info)) return GetLastError();
  UniqueFile target = CreateNewForWritingAlone(to);
  if (!target) return GetLastError();
  ScopeExit removePartial([&] {
    target.reset();
    DeleteFileNamed(to);
  });
  const uint64_t total = uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
  std::vector<char> piece(kCopyPieceBytes);
  // Nobody writes the file while it is open for the copy: its size stays.
  uint64_t done = 0;
  for (DWORD read = 0; done < total; done += read) {
    if (progress) progress(done, total);
    DWORD written = 0;
    if (!ReadFile(source.get(), piece.data(), kCopyPieceBytes, &read, nullptr)) return GetLastError();
    if (read == 0) break;  // shorter after all: the size check after the copy says so
    if (!WriteFile(target.get(), piece.data(), read, &written, nullptr)) return GetLastError();
  }
  if (progress) progress(done, total);
  if (!SetFileTime(target.get(), nullptr, nullptr, &info.ftLastWriteTime) || !FlushFileBuffers(target.get()))
    return GetLastError();
  target.reset();
  const DWORD attributes = info.dwFileAttributes & kCopiedAttributes;
  if (!SetFileAttributesW(to.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL)) return GetLastError();
  removePartial.Dismiss();
  return ERROR_SUCCESS;
}

// What this run may tell of the run of processId (RunStateOf).
RunState StateOfRun(uint32_t processId) {
  const UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  const DWORD error = process ? ERROR_SUCCESS : GetLastError();
  return RunStateOf(error, process && WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0);
}

std::optional<DiskSpace> QueryDiskSpace(const std::optional<std::string>& root) {
  const std::wstring wideRoot = root ? Widen(*root) : std::wstring();
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  const NoCriticalErrorBoxes noPrompt;  // for a drive without a medium
  if (!GetDiskFreeSpaceW(root ? wideRoot.c_str() : nullptr, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &totalClusters))
    return std::nullopt;
  return DiskSpace{sectorsPerCluster, bytesPerSector, freeClusters};
}

}  // namespace

bool WindowsCopySystem::IsDriveReady(char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') throw EConvertError("Błędny identyfikator napędu.");
  const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
  ULARGE_INTEGER totalBytes{};
  const NoCriticalErrorBoxes noPrompt;
  return GetDiskFreeSpaceExW(root, nullptr, &totalBytes, nullptr) != 0;
}

// The temporary copy's name is longer than the destination's: the long-path
// form keeps a name that fits the system's limit from being pushed past it.
bool WindowsCopySystem::FileExists(const std::string& path) { return kolvex::FileExists(LongPathForm(path)); }

int64_t WindowsCopySystem::GetFileSizeByName(const std::string& path) {
  // Sharing reading only: a file that someone is writing is not measured.
  const UniqueFile file = OpenForReadingSharedForReading(WideLongPath(path));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size)) return -1;
  return size.QuadPart;
}

int64_t WindowsCopySystem::GetFreeSpaceKB(const std::string& path) {
  const auto space = QueryDiskSpace(FreeSpaceRoot(path));
  return space ? space->FreeKB() : -1;
}

int64_t WindowsCopySystem::GetFloppyFreeBytes(char letter) {
  const auto space = QueryDiskSpace(DriveRoot(letter));
  return space ? space->FreeBytes() : -1;
}

std::optional<std::string> WindowsCopySystem::Copy(const std::string& from, const std::string& to,
                                                   const CopyProgress& progress) {
  const std::wstring wideFrom = WideLongPath(from), wideTo = WideLongPath(to);
  const DWORD error = RetryWhileHeld([&] { return CopyPieces(wideFrom, wideTo, progress, SourceFlags(from)); });
  return TextOf(error);
}

std::optional<std::string> WindowsCopySystem::MoveOver(const std::string& from, const std::string& to) {
  const std::wstring wideTo = WideLongPath(to);
  // Windows refuses to replace a read-only file (copies of read-only files on
  // a share are read-only). The attribute goes for the replacement and comes
  // back if the replacement fails.
  const DWORD attributes = GetFileAttributesW(wideTo.c_str());
  const bool readOnly = IsReadOnlyFile(attributes);
  if (readOnly && !SetFileAttributesW(wideTo.c_str(), WithoutReadOnly(attributes))) return GetLastErrorString();
  SystemReplacement calls;
  const std::string aside = MovedAsideName(to, ProcessId());
  const DWORD error = RetryWhileHeld([&] { return ReplaceMovingAside(calls, from, to, aside); });
  if (error != ERROR_SUCCESS && readOnly) SetFileAttributesW(wideTo.c_str(), attributes);
  return TextOf(error);
}

void WindowsCopySystem::Remove(const std::string& path) noexcept {
  const std::wstring wide = WideLongPath(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  if (IsReadOnlyFile(attributes)) SetFileAttributesW(wide.c_str(), WithoutReadOnly(attributes));
  DeleteFileNamed(wide);
}

void WindowsCopySystem::RemoveLeftovers(const std::string& destination) noexcept {
  // The pattern narrows the search; the short 8.3 names it also matches are
  // weeded out by the exact test on the long name. A file moved aside that a
  // process still runs refuses to go, and stays for a later run.
  const std::string pattern = LeftoverPattern(destination);
  const size_t nameStart = pattern.find_last_of("\\/:") + 1;
  const std::string dir = pattern.substr(0, nameStart);
  const std::string_view name = std::string_view(destination).substr(nameStart);
  WIN32_FIND_DATAW found{};
  const UniqueFind find(FindFirstFileW(WideLongPath(pattern).c_str(), &found));
  if (!find) return;
  do {
    const std::string entry = Narrow(found.cFileName);
    const std::optional<uint32_t> owner = LeftoverOwner(name, entry);
    if (!owner) continue;
    // This run's own id was an earlier run's: what that run left is to go.
    const RunState run = *owner == ProcessId() ? RunState::Ended : StateOfRun(*owner);
    switch (FateOfLeftover(run, IsMovedAsideName(entry), FileExists(destination))) {
      case LeftoverFate::Keep: break;
      case LeftoverFate::Remove: Remove(dir + entry); break;
      case LeftoverFate::PutBack: RenameFile(WideLongPath(dir + entry), WideLongPath(destination)); break;
    }
  } while (FindNextFileW(find.get(), &found));
}

bool WindowsCopySystem::IsHeldOpen(const std::string& path) {
  const UniqueFile file = OpenForRenaming(WideLongPath(path));
  return !file && GetLastError() == ERROR_SHARING_VIOLATION;
}

uint32_t WindowsCopySystem::ProcessId() { return GetCurrentProcessId(); }

void WindowsCopySystem::CreateDirectories(const std::string& base, const std::string& name) {
  for (size_t end = name.find_first_of("\\/"); end != std::string::npos; end = name.find_first_of("\\/", end + 1))
    CreateDirectoryW(Widen(LongPathForm(JoinPath(base, name.substr(0, end)), kPlainDirectoryPathLimit)).c_str(),
                     nullptr);
}

}  // namespace kolvex
