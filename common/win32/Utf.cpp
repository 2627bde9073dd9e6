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

std::wstring ToWide(std::string_view s, UINT codePage) {
  if (s.empty()) return {};
  const int len = static_cast<int>(s.size());
  const int n = MultiByteToWideChar(codePage, 0, s.data(), len, nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, s.data(), len, w.data(), n);
  return w;
}

}  // namespace

std::wstring Widen(std::string_view utf8) { return ToWide(utf8, CP_UTF8); }

std::string Narrow(std::wstring_view utf16) { return FromWide(utf16, CP_UTF8); }

std::string ToAnsi(std::string_view utf8) { return ToCodePage(utf8, CP_ACP); }

std::string ToCodePage(std::string_view utf8, unsigned codePage) { return FromWide(Widen(utf8), codePage); }

std::string FromAnsi(std::string_view ansi) { return Narrow(ToWide(ansi, CP_ACP)); }

void UpperCase(std::wstring& text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
}

std::string UpperCase(std::string_view text) {
  std::wstring wide = Widen(text);
  UpperCase(wide);
  return Narrow(wide);
}

}  // namespace kolvex
