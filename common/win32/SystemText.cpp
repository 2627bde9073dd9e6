#include <windows.h>

#include "common/Integers.h"
#include "common/win32/Handles.h"
#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"

namespace kolvex {

std::string GetErrorString(int32_t code) {
  wchar_t* buffer = nullptr;
  // Insert sequences stay as they are: no arguments are passed, so none may be read.
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const DWORD lookupError = GetLastError();
  UniqueLocal owner(buffer);
  if (length == 0 || buffer == nullptr) {
    std::string text = "Error in GetErrorString(" + FormatInteger(code);
    text += ") : ";
    text += FormatInteger(static_cast<int32_t>(lookupError));
    return text;
  }
  return Narrow(std::wstring_view(buffer, length));
}

std::string GetErrorReason(int32_t code) {
  std::string reason = GetErrorString(code);
  while (!reason.empty() && static_cast<unsigned char>(reason.back()) <= ' ') reason.pop_back();
  return reason;
}

std::string GetLastErrorString() { return GetErrorString(static_cast<int32_t>(GetLastError())); }

}  // namespace kolvex
