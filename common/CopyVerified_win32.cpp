#include <windows.h>

#include "common/CopyVerifiedSystem.h"
#include "common/Global.h"
#include "common/SystemText.h"
#include "common/win32/FileRetry.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"

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

DWORD LastErrorUnless(BOOL ok) { return ok ? ERROR_SUCCESS : GetLastError(); }

DWORD Replace(const std::wstring& from, const std::wstring& to) {
  // For a target that another program holds open the rename reports only
  // "access denied". Opening the target the way a copy over it would (for
  // writing, sharing nothing) names the real reason first.
  {
    const UniqueFile target(
        CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD error = target ? ERROR_SUCCESS : GetLastError();
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) return error;
  }
  return LastErrorUnless(MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

// Puts the copy's data on the disk before its name replaces the program:
// after a power cut the program's name must never stand for a file whose
// data never left the cache.
DWORD Flush(const std::wstring& path) {
  const UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
  if (!file) return GetLastError();
  return LastErrorUnless(FlushFileBuffers(file.get()));
}

}  // namespace

std::optional<std::string> WindowsCopySystem::Copy(const std::string& from, const std::string& to) {
  const std::wstring wideFrom = Widen(LongPathForm(from)), wideTo = Widen(LongPathForm(to));
  DWORD error = RetryWhileHeld([&] { return LastErrorUnless(CopyFileW(wideFrom.c_str(), wideTo.c_str(), FALSE)); });
  if (error == ERROR_SUCCESS) error = RetryWhileHeld([&] { return Flush(wideTo); });
  return TextOf(error);
}

std::optional<std::string> WindowsCopySystem::MoveOver(const std::string& from, const std::string& to) {
  const std::wstring wideFrom = Widen(LongPathForm(from)), wideTo = Widen(LongPathForm(to));
  // Windows refuses to replace a read-only file (copies of read-only files on
  // a share are read-only). The attribute goes for the replacement and comes
  // back if the replacement fails.
  const DWORD attributes = GetFileAttributesW(wideTo.c_str());
  const bool readOnly = IsReadOnlyFile(attributes);
  if (readOnly && !SetFileAttributesW(wideTo.c_str(), WithoutReadOnly(attributes))) return GetLastErrorString();
  const DWORD error = RetryWhileHeld([&] { return Replace(wideFrom, wideTo); });
  if (error != ERROR_SUCCESS && readOnly) SetFileAttributesW(wideTo.c_str(), attributes);
  return TextOf(error);
}

void WindowsCopySystem::Remove(const std::string& path) noexcept {
  const std::wstring wide = Widen(LongPathForm(path));
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  if (IsReadOnlyFile(attributes)) SetFileAttributesW(wide.c_str(), WithoutReadOnly(attributes));
  DeleteFileW(wide.c_str());
}

void WindowsCopySystem::RemoveLeftovers(const std::string& destination) noexcept {
  // The pattern narrows the search; the short 8.3 names it also matches are
  // weeded out by the exact test on the long name.
  const std::string name = ExtractFileName(destination);
  const std::string dir = destination.substr(0, destination.size() - name.size());
  WIN32_FIND_DATAW found{};
  const UniqueFind find(FindFirstFileW(Widen(LongPathForm(TemporaryCopyPattern(destination))).c_str(), &found));
  if (!find) return;
  do {
    const std::string entry = Narrow(found.cFileName);
    if (IsTemporaryCopyOf(name, entry)) Remove(dir + entry);
  } while (FindNextFileW(find.get(), &found));
}

uint32_t WindowsCopySystem::ProcessId() { return GetCurrentProcessId(); }

}  // namespace kolvex
