#include "service/FolderSafety_win32.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "common/Paths.h"
#include "common/win32/SystemText.h"
#include "common/win32/FileIO.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "ipc/FolderIdentity_win32.h"
#include "ipc/FolderRights.h"
#include "ipc/FolderSecurity_win32.h"
#include "service/UpdateRules.h"

namespace kolvex {

namespace {

// One folder: no link (by its name's attributes, and by the folder opened
// without following one), and nobody untrusted may change it as its place forbids.
std::optional<std::string> OneFolderRefusal(const std::string& path, FolderPlace place,
                                            const FolderIdentity* registered) {
  const DWORD attributes = GetFileAttributesW(WideLongPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return "folder " + path + ": " + GetErrorReason(GetLastError());
  const UniqueFile folder = OpenFolderItself(WideLongPath(path), READ_CONTROL | FILE_READ_ATTRIBUTES);
  if (!folder) return "folder " + path + ": " + GetErrorReason(GetLastError());
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(folder.get(), &info))
    return "folder " + path + ": " + GetErrorReason(GetLastError());
  // A drive's root is the volume itself, never a link (where Wine shows
  // its drive letters' links to the Unix folders as ones).
  const bool root = ExtractFileDir(path) == path;
  if (!root && ((attributes | info.dwFileAttributes) & FILE_ATTRIBUTE_REPARSE_POINT))
    return "folder " + path + " jest łączem (dowiązaniem lub punktem połączenia), a usługa nie zapisuje przez łącza";
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return path + " nie jest folderem";
  if (registered && IdentityOf(folder.get()) != *registered)
    return "folder " + path + " nie jest tym folderem, który zarejestrowano (zastąpiono go albo przeniesiono); "
           "zarejestruj instalację ponownie";
  const std::optional<FolderSecurity> security = SecurityOf(folder.get());
  if (!security) return "nie można odczytać uprawnień folderu " + path + ": " + GetErrorReason(GetLastError());
  const std::string trusted[] = {OwnAccount()};
  if (const std::optional<std::string> writer = UntrustedWriter(*security, place, trusted))
    return (*writer == security->owner ? "właścicielem folderu " + path + " jest "
                                       : "folder " + path + " może zmieniać ") +
           AccountName(*writer) + ", a zmieniać go mogą tylko administratorzy i system";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> FolderRefusal(const std::string& folder, const FolderIdentity& registered) {
  if (auto refusal = OneFolderRefusal(folder, FolderPlace::Written, &registered)) return refusal;
  for (const std::string& above : FoldersAbove(folder)) {
    if (auto refusal = OneFolderRefusal(above, FolderPlace::Above, nullptr)) return refusal;
  }
  return std::nullopt;
}

std::optional<std::string> SubFolderRefusal(const std::string& folder, const std::vector<std::string>& subFolders) {
  for (const std::string& sub : subFolders) {
    const std::string path = JoinPath(folder, sub);
    if (GetFileAttributesW(WideLongPath(path).c_str()) == INVALID_FILE_ATTRIBUTES &&
        (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND))
      continue;
    if (auto refusal = OneFolderRefusal(path, FolderPlace::Written, nullptr)) return refusal;
  }
  return std::nullopt;
}

}  // namespace kolvex
