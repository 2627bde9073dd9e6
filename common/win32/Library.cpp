#include "common/win32/Library.h"

#include <cstring>
#include <cwchar>

namespace kolvex {

HMODULE LoadSystemLibrary(const wchar_t* fileName) noexcept {
  wchar_t path[2 * MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  const size_t nameLength = std::wcslen(fileName);
  if (length == 0 || length >= MAX_PATH || nameLength >= MAX_PATH - 1) return nullptr;
  path[length] = L'\\';
  std::memcpy(path + length + 1, fileName, (nameLength + 1) * sizeof(wchar_t));
  // The altered search path: what the library itself imports is looked for
  // beside it, in the system directory, not in the program's folder.
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace kolvex
