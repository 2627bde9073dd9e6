#include "service/FolderSafety_win32.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>

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
#include "update/Components.h"
#include "update/InstallationFiles.h"

namespace kolvex {

namespace {

// A name's own attributes, by its name and by the name opened without
// following a link (Wine shows a Unix link only so); the handle, to ask more.
struct Itself {
  UniqueFile handle;
  DWORD attributes = 0;
  std::optional<std::string> failure;
};

Itself OpenItself(const std::string& path, DWORD access) {
  Itself itself;
  const DWORD attributes = GetFileAttributesW(WideLongPath(path).c_str());
  BY_HANDLE_FILE_INFORMATION info{};
  if (attributes != INVALID_FILE_ATTRIBUTES) itself.handle = OpenFolderItself(WideLongPath(path), access);
  if (attributes == INVALID_FILE_ATTRIBUTES || !itself.handle || !GetFileInformationByHandle(itself.handle.get(), &info))
    itself.failure = GetErrorReason(GetLastError());
  itself.attributes = attributes | info.dwFileAttributes;
  return itself;
}

std::string_view KindWord(bool folder) { return folder ? "folder" : "plik"; }

// One folder (or file): no link (unless a link is the administrator's
// choice), and nobody untrusted may change it as its place forbids.
std::optional<std::string> OneRefusal(const std::string& path, FolderPlace place, const FolderIdentity* registered,
                                      bool folder = true, bool linkChosen = false) {
  const std::string name = std::string(KindWord(folder)) + " " + path;
  const Itself itself = OpenItself(path, READ_CONTROL | FILE_READ_ATTRIBUTES);
  if (itself.failure) return name + ": " + *itself.failure;
  // A drive's root is the volume itself, never a link (where Wine shows
  // its drive letters' links to the Unix folders as ones).
  const bool root = ExtractFileDir(path) == path;
  if (!root && !linkChosen && (itself.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return name + " jest łączem (dowiązaniem lub punktem połączenia), a usługa nie zapisuje przez łącza";
  if (folder != ((itself.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0))
    return path + (folder ? " nie jest folderem" : " nie jest plikiem");
  if (registered && IdentityOf(itself.handle.get()) != *registered)
    return "folder " + path + " nie jest tym folderem, który zarejestrowano (zastąpiono go albo przeniesiono); "
           "zarejestruj instalację ponownie";
  const std::optional<FolderSecurity> security = SecurityOf(itself.handle.get());
  if (!security)
    return "nie można odczytać uprawnień " + std::string(folder ? "folderu " : "pliku ") + path + ": " +
           GetErrorReason(GetLastError());
  const std::string trusted[] = {OwnAccount()};
  if (const std::optional<std::string> writer = UntrustedWriter(*security, place, trusted))
    return (*writer == security->owner ? "właścicielem " + std::string(folder ? "folderu " : "pliku ") + path + " jest "
                                       : name + " może zmieniać ") +
           AccountName(*writer) + ", a zmieniać go mogą tylko administratorzy i system";
  return std::nullopt;
}

// The folder and those above it, as an installation's: up to the drive's
// root, or to the share's (\\host\share), above which there are no folders.
// Links among them are refused unless they are the administrator's choice
// (a shared directory's path: it is read, not written).
std::optional<std::string> FolderAndAboveRefusal(const std::string& folder, const FolderIdentity* registered,
                                                 bool linksChosen = false) {
  if (auto refusal = OneRefusal(folder, FolderPlace::Written, registered, true, linksChosen)) return refusal;
  size_t shareRoot = 0;
  if (folder.starts_with("\\\\")) shareRoot = std::min(folder.find('\\', folder.find('\\', 2) + 1), folder.size());
  for (const std::string& above : FoldersAbove(folder)) {
    if (above.size() < shareRoot) break;
    if (auto refusal = OneRefusal(above, FolderPlace::Above, nullptr, true, linksChosen)) return refusal;
  }
  return std::nullopt;
}

// Whether a shared directory is a folder of this computer: on a drive that
// is not a network one, or reached through a share of this computer.
bool IsOnThisComputer(const std::string& dir) {
  if (dir.starts_with("\\\\") && !dir.starts_with("\\\\?\\")) {
    const std::string host = dir.substr(2, dir.find_first_of("\\/", 2) - 2);
    std::wstring wideHost = Widen(host);
    UpperCase(wideHost);
    if (wideHost == L"LOCALHOST" || wideHost == L"127.0.0.1" || wideHost == L"." || wideHost == L"[::1]") return true;
    for (const COMPUTER_NAME_FORMAT format :
         {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified}) {
      wchar_t name[256];
      DWORD length = 256;
      if (!GetComputerNameExW(format, name, &length)) continue;
      std::wstring own(name, length);
      UpperCase(own);
      if (own == wideHost) return true;
    }
    return false;
  }
  wchar_t volume[MAX_PATH + 1];
  if (!GetVolumePathNameW(WideLongPath(dir).c_str(), volume, MAX_PATH + 1)) return false;
  return GetDriveTypeW(volume) != DRIVE_REMOTE;
}

}  // namespace

std::optional<std::string> FolderRefusal(const std::string& folder, const FolderIdentity& registered) {
  return FolderAndAboveRefusal(folder, &registered);
}

std::optional<std::string> SubFolderRefusal(const std::string& folder, const std::vector<std::string>& subFolders) {
  for (const std::string& sub : subFolders) {
    const std::string path = JoinPath(folder, sub);
    if (GetFileAttributesW(WideLongPath(path).c_str()) == INVALID_FILE_ATTRIBUTES &&
        (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND))
      continue;
    if (auto refusal = OneRefusal(path, FolderPlace::Written, nullptr)) return refusal;
  }
  return std::nullopt;
}

std::optional<std::string> SettingsFileRefusal(const std::string& folder) {
  const std::string path = JoinPath(folder, kSettingsFileName);
  if (GetFileAttributesW(WideLongPath(path).c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND)
    return std::nullopt;
  return OneRefusal(path, FolderPlace::Written, nullptr, false);
}

std::optional<std::string> InstalledProgramRefusal(const std::string& folder, const std::string& program) {
  const std::string path = JoinPath(folder, program);
  const Itself itself = OpenItself(path, FILE_READ_ATTRIBUTES);
  if (itself.failure)
    return "program " + program + " nie jest zainstalowany w folderze " + folder +
           " ani wymieniony w sekcji [SKLADNIKI] pliku baza.set, a usługa aktualizacji instaluje tylko to, "
           "co zainstalował albo wymienił administrator";
  if (itself.attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return "plik " + path + " jest łączem (dowiązaniem lub punktem połączenia), a usługa nie korzysta z łączy";
  if (itself.attributes & FILE_ATTRIBUTE_DIRECTORY) return path + " nie jest plikiem";
  return std::nullopt;
}

std::optional<std::string> ShareLinkRefusal(const std::string& sharedDir, std::string_view name) {
  std::string path = sharedDir;
  for (const std::string_view part : ResolvedNameParts(name)) {
    path = JoinPath(path, std::string(part));
    // What is not there (or cannot be read) is not read through a link either.
    const Itself itself = OpenItself(path, FILE_READ_ATTRIBUTES);
    if (itself.failure) return std::nullopt;
    if (itself.attributes & FILE_ATTRIBUTE_REPARSE_POINT)
      return "w katalogu wspólnym " + path +
             " jest łączem (dowiązaniem lub punktem połączenia), a usługa nie czyta przez łącza";
  }
  return std::nullopt;
}

std::optional<std::string> LocalShareRefusal(const std::string& sharedDir, const std::vector<std::string>& subFolders) {
  if (!IsOnThisComputer(sharedDir)) return std::nullopt;
  if (auto refusal = FolderAndAboveRefusal(sharedDir, nullptr, true))
    return "katalog wspólny jest folderem tego komputera: " + *refusal;
  if (auto refusal = SubFolderRefusal(sharedDir, subFolders))
    return "katalog wspólny jest folderem tego komputera: " + *refusal;
  return std::nullopt;
}

}  // namespace kolvex
