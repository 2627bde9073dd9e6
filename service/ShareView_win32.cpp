#include "service/ShareView_win32.h"

#include <windows.h>

#include "common/Integers.h"
#include "common/Paths.h"
#include "common/win32/SystemText.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "update/ShareProbe_win32.h"

namespace kolvex {

ShareViewReply LookAtShare(const Settings& settings) {
  const std::string& dir = settings.sharedDir;
  const std::optional<ShareReply> reply = AskShare(dir, settings.shareTimeBoxMs);
  if (!reply)
    return {false, "Katalog wspólny " + dir + " nie odpowiedział usłudze w ciągu " +
                       FormatInteger(settings.shareTimeBoxMs / 1000) + " s."};
  if (!reply->found) return {false, "Usługa nie widzi katalogu wspólnego " + dir + ": " + GetErrorReason(reply->error)};
  WIN32_FIND_DATAW found{};
  const UniqueFind find(FindFirstFileW(WideLongPath(JoinPath(dir, "*")).c_str(), &found));
  if (!find && GetLastError() != ERROR_FILE_NOT_FOUND)
    return {false, "Usługa nie może odczytać zawartości katalogu wspólnego " + dir + ": " +
                       GetErrorReason(GetLastError())};
  int64_t files = 0;
  if (find) {
    do files += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    while (FindNextFileW(find.get(), &found));
  }
  return {true, "Usługa czyta katalog wspólny " + dir + " (plików: " + FormatInteger(files) + ")."};
}

}  // namespace kolvex
