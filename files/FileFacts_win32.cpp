#include "files/FileFacts_win32.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "common/win32/DateTime.h"
#include "common/win32/FileIO.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "files/ExeImage.h"
#include "files/FileVer_win32.h"

namespace kolvex {

// Both queries also read the temporary copy, whose name may be too long
// for the plain form where the installed file's fits.
std::string WindowsFileFacts::FileVersion(const std::string& path) {
  return GetFileVersionString(LongPathForm(path), "FileVersion");
}

// A file gone since it was found counts as day 0; the copy then reports it.
DateTime WindowsFileFacts::FileDate(const std::string& path) {
  return FileDateTimeLocal(LongPathForm(path)).value_or(DateTime{});
}

bool WindowsFileFacts::IsCompleteImage(const std::string& path) {
  const UniqueFile file = OpenForReadingSharedWithAll(Widen(path));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size)) return true;
  std::vector<std::byte> head(static_cast<size_t>(std::min<LONGLONG>(size.QuadPart, kExecutableHeadBytes)));
  DWORD read = 0;
  if (!ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr)) return true;
  head.resize(read);
  return IsCompleteExecutableImage(head, static_cast<uint64_t>(size.QuadPart));
}

}  // namespace kolvex
