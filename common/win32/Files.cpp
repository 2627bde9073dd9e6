#include "common/win32/Files.h"

#include <windows.h>

#include "common/ScopeExit.h"
#include "common/win32/FileIO.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"

namespace kolvex {

static_assert(kPlainPathLimit == MAX_PATH - 1);

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ModuleFileName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return Narrow(path);
    }
    path.resize(path.size() * 2);  // truncated: try a larger buffer
  }
}

std::string FullPathName(const std::string& path) {
  const std::wstring wide = Widen(path);
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return path;
    if (n < full.size()) {
      full.resize(n);
      return Narrow(full);
    }
    full.resize(n);  // too small: n is the size needed
  }
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const UniqueFile file = OpenForReadingSharedWithAll(Widen(path));
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[64 * 1024];
  DWORD read = 0;
  // To the end as it is now, not as a size taken beforehand said it would be.
  do {
    if (!ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) return std::nullopt;
    bytes.append(chunk, read);
  } while (read != 0);
  return bytes;
}

bool ReplaceFileWhole(const std::string& path, const std::string& partial, std::string_view bytes) {
  const std::wstring widePartial = WideLongPath(partial);
  UniqueFile file = CreateForWritingAlone(widePartial);
  if (!file) return false;
  ScopeExit removePartial([&] {
    const DWORD error = GetLastError();
    DeleteFileNamed(widePartial);
    SetLastError(error);
  });
  DWORD count = 0;
  const bool written =
      WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr) && count == bytes.size();
  file.reset();
  if (!written) return false;
  const DWORD error = ReplaceByRenaming(widePartial, WideLongPath(path));
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return false;
  }
  removePartial.Dismiss();
  return true;
}

namespace {

constexpr std::string_view kZoneMarkStream = ":Zone.Identifier";

}  // namespace

bool HasZoneMark(const std::string& path) {
  return GetFileAttributesW(WideLongPath(path + std::string(kZoneMarkStream)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string LongPathForm(const std::string& path, size_t plainLimit) {
  if (Widen(path).size() <= plainLimit || path.starts_with("\\\\?\\")) return path;
  // The long form takes no relative parts and no forward slashes: the full
  // path name resolves both.
  const std::string full = FullPathName(path);
  if (full.starts_with("\\\\")) return "\\\\?\\UNC\\" + full.substr(2);
  return "\\\\?\\" + full;
}

std::wstring WideLongPath(const std::string& path) { return Widen(LongPathForm(path)); }

}  // namespace kolvex
