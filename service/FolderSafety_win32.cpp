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
#include "service/FolderRights.h"
#include "service/UpdateRules.h"

namespace kolvex {

namespace {

std::string SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return {};
  const UniqueLocal owned(text);
  return Narrow(text);
}

// The account as the administrator knows it (DOMENA\nazwa), with its SID.
std::string AccountName(const std::string& sidText) {
  PSID sid = nullptr;
  if (!ConvertStringSidToSidW(Widen(sidText).c_str(), &sid)) return sidText;
  const UniqueLocal owned(sid);
  wchar_t name[256], domain[256];
  DWORD nameLength = 256, domainLength = 256;
  SID_NAME_USE use;
  if (!LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use)) return sidText;
  return (domainLength > 0 ? Narrow(domain) + "\\" : std::string()) + Narrow(name) + " (" + sidText + ")";
}

// The account this process runs as: the system for the service. Whatever it
// may write, it writes anyway.
const std::string& OwnAccount() {
  static const std::string own = [] {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return std::string();
    const UniqueKernelHandle owned(token);
    alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD length = 0;
    if (!GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &length)) return std::string();
    return SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
  }();
  return own;
}

std::optional<FolderSecurity> SecurityOf(HANDLE folder) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error = GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                      &owner, nullptr, &dacl, nullptr, &descriptor);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return std::nullopt;
  }
  const UniqueLocal owned(descriptor);
  FolderSecurity security{.owner = SidText(owner), .entries = std::nullopt};
  if (!dacl) return security;
  security.entries.emplace();
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACE_HEADER* header = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) continue;
    const bool allows = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
    if (!allows && header->AceType != ACCESS_DENIED_ACE_TYPE) {
      // Entries of other kinds (objects, callbacks, audits) are not expected on
      // a folder: counted as allowing everything, so that the folder is refused.
      security.entries->push_back({.allows = true, .rights = GENERIC_ALL, .sid = "S-1-1-0"});
      continue;
    }
    const auto* entry = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
    security.entries->push_back({.allows = allows,
                                 .inheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0,
                                 .rights = entry->Mask,
                                 .sid = SidText(const_cast<DWORD*>(&entry->SidStart))});
  }
  return security;
}

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
