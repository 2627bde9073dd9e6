#include <windows.h>

#include "common/CopyVerified.h"
#include "common/CopyVerifiedSystem.h"
#include "common/Probes.h"
#include "common/SystemText.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "messages/komunikaty.h"

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

std::optional<std::string> Replace(const std::wstring& from, const std::wstring& to) {
  // For a target that another program holds open the rename reports only
  // "access denied". Opening the target the way a copy over it would (for
  // writing, sharing nothing) names the real reason first.
  {
    const UniqueFile target(
        CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target && GetLastError() != ERROR_FILE_NOT_FOUND) return GetLastErrorString();
  }
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return GetLastErrorString();
  return std::nullopt;
}

}  // namespace

bool WindowsCopySystem::IsDriveReady(char letter) { return kolvex::IsDriveReady(letter); }

bool WindowsCopySystem::FileExists(const std::string& path) { return kolvex::FileExists(path); }

int64_t WindowsCopySystem::GetFileSizeByName(const std::string& path) { return kolvex::GetFileSizeByName(path); }

int64_t WindowsCopySystem::GetFreeSpaceKB(const std::string& path) { return kolvex::GetFreeSpaceKB(path); }

int64_t WindowsCopySystem::GetFloppyFreeBytes(char letter) { return kolvex::GetFloppyFreeBytes(letter); }

std::optional<std::string> WindowsCopySystem::Copy(const std::string& from, const std::string& to) {
  const std::wstring wideFrom = Widen(from), wideTo = Widen(to);
  if (!CopyFileW(wideFrom.c_str(), wideTo.c_str(), FALSE)) return GetLastErrorString();
  return std::nullopt;
}

std::optional<std::string> WindowsCopySystem::MoveOver(const std::string& from, const std::string& to) {
  const std::wstring wideFrom = Widen(from), wideTo = Widen(to);
  // Windows refuses to replace a read-only file (copies of read-only files on
  // a share are read-only). The attribute goes for the replacement and comes
  // back if the replacement fails.
  const DWORD attributes = GetFileAttributesW(wideTo.c_str());
  const bool readOnly = IsReadOnlyFile(attributes);
  if (readOnly && !SetFileAttributesW(wideTo.c_str(), WithoutReadOnly(attributes))) return GetLastErrorString();
  auto error = Replace(wideFrom, wideTo);
  if (error && readOnly) SetFileAttributesW(wideTo.c_str(), attributes);
  return error;
}

void WindowsCopySystem::Remove(const std::string& path) noexcept {
  const std::wstring wide = Widen(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  if (IsReadOnlyFile(attributes)) SetFileAttributesW(wide.c_str(), WithoutReadOnly(attributes));
  DeleteFileW(wide.c_str());
}

bool CopyFileVerified(const std::string& source, const std::string& destination) {
  WindowsCopySystem system;
  return CopyFileVerified(source, destination, system, ShowErrorMessage);
}

}  // namespace kolvex
