#include <windows.h>

#include "common/Exceptions.h"
#include "common/win32/ErrorMode.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "files/CopyVerified_win32.h"
#include "files/Probes.h"

namespace kolvex {

namespace {

std::optional<DiskSpace> QueryDiskSpace(const std::optional<std::string>& root) {
  const std::wstring wideRoot = root ? Widen(*root) : std::wstring();
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  const NoCriticalErrorBoxes noPrompt;  // for a drive without a medium
  if (!GetDiskFreeSpaceW(root ? wideRoot.c_str() : nullptr, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &totalClusters))
    return std::nullopt;
  return DiskSpace{sectorsPerCluster, bytesPerSector, freeClusters};
}

}  // namespace

int FindTextNoCase(std::string_view sub, std::string_view text) {
  if (sub.empty()) return 0;
  std::wstring wideSub = Widen(sub);
  const std::wstring wideText = Widen(text);
  std::wstring upperText = wideText;
  UpperCase(wideSub);
  UpperCase(upperText);  // one UTF-16 unit for one: positions stay where they were
  const size_t at = upperText.find(wideSub);
  if (at == std::wstring::npos) return 0;
  // Counted in the text as given: upper-casing may change a letter's UTF-8 length.
  return static_cast<int>(Narrow(std::wstring_view(wideText).substr(0, at)).size()) + 1;
}

// The temporary copy's name is longer than the destination's: the long-path
// form keeps a name that fits the system's limit from being pushed past it.
bool WindowsCopySystem::FileExists(const std::string& path) { return kolvex::FileExists(LongPathForm(path)); }

int64_t WindowsCopySystem::GetFileSizeByName(const std::string& path) {
  // Sharing reading only: a file that someone is writing is not measured.
  const UniqueFile file(CreateFileW(WideLongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size)) return -1;
  return size.QuadPart;
}

bool WindowsCopySystem::IsDriveReady(char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') throw EConvertError("Błędny identyfikator napędu.");
  const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
  ULARGE_INTEGER totalBytes{};
  const NoCriticalErrorBoxes noPrompt;
  return GetDiskFreeSpaceExW(root, nullptr, &totalBytes, nullptr) != 0;
}

int64_t WindowsCopySystem::GetFreeSpaceKB(const std::string& path) {
  const auto space = QueryDiskSpace(FreeSpaceRoot(path));
  return space ? space->FreeKB() : -1;
}

int64_t WindowsCopySystem::GetFloppyFreeBytes(char letter) {
  const auto space = QueryDiskSpace(DriveRoot(letter));
  return space ? space->FreeBytes() : -1;
}

}  // namespace kolvex
