#include "common/win32/Module.h"

#include <windows.h>

#include "common/win32/Utf.h"

namespace kolvex {

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

}  // namespace kolvex
