#include <windows.h>

#include <algorithm>
#include <vector>

#include "common/DateTime_win32.h"
#include "common/Paths.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "files/ExeImage.h"
#include "files/FileVer_win32.h"
#include "launcher/ProgressWindow_win32.h"
#include "launcher/UpdateLog_win32.h"
#include "launcher/Update_win32.h"

namespace kolvex {

// Both queries also read the temporary copy, whose name may be too long
// for the plain form where the installed file's fits.
std::string WindowsUpdateSystem::FileVersion(const std::string& path) const {
  return GetFileVersionString(LongPathForm(path), "FileVersion");
}

// A file gone since it was found counts as day 0; the copy then reports it.
DateTime WindowsUpdateSystem::FileDate(const std::string& path) const {
  return FileDateTimeLocal(LongPathForm(path)).value_or(DateTime{});
}

bool WindowsUpdateSystem::IsCompleteImage(const std::string& path) const {
  const UniqueFile file(CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size)) return true;
  std::vector<std::byte> head(static_cast<size_t>(std::min<LONGLONG>(size.QuadPart, kExecutableHeadBytes)));
  DWORD read = 0;
  if (!ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr)) return true;
  head.resize(read);
  return IsCompleteExecutableImage(head, static_cast<uint64_t>(size.QuadPart));
}

std::string WindowsUpdateSystem::UpperCase(const std::string& text) const {
  std::wstring wide = Widen(text);
  kolvex::UpperCase(wide);
  return Narrow(wide);
}

void WindowsUpdateSystem::ShowProgress(const std::string& text) { ShowUpdateProgress(text); }

void WindowsUpdateSystem::CreateDirectories(const std::string& base, const std::string& name) {
  for (size_t end = name.find_first_of("\\/"); end != std::string::npos; end = name.find_first_of("\\/", end + 1))
    CreateDirectoryW(Widen(LongPathForm(JoinPath(base, name.substr(0, end)), kPlainDirectoryPathLimit)).c_str(),
                     nullptr);
}

void WindowsUpdateSystem::WriteLog(const std::string& fileName, uint8_t compareMode, const ComponentUpdate& update,
                                   const std::string& exeDir) {
  WriteUpdateLog(fileName, compareMode, update, exeDir);
}

UpdateSystem& TheUpdateSystem() {
  static WindowsUpdateSystem system;
  return system;
}

}  // namespace kolvex
