#include "common/win32/Utf.h"

#include <windows.h>

namespace kolvex {

namespace {

std::string FromWide(std::wstring_view w, UINT codePage) {
  if (w.empty()) return {};
  const int wlen = static_cast<int>(w.size());
  const int n = WideCharToMultiByte(codePage, 0, w.data(), wlen, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, w.data(), wlen, s.data(), n, nullptr, nullptr);
  return s;
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int len = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), len, nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), len, w.data(), n);
  return w;
}

std::string Narrow(std::wstring_view utf16) { return FromWide(utf16, CP_UTF8); }

std::string ToAnsi(std::string_view utf8) { return FromWide(Widen(utf8), CP_ACP); }

}  // namespace kolvex
