#include "common/win32/Files.h"

#include <windows.h>

#include "common/win32/Utf.h"

namespace kolvex {

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace kolvex
