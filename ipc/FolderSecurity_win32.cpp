#include "ipc/FolderSecurity_win32.h"

#include <sddl.h>
#include <aclapi.h>

#include "common/win32/Handles.h"
#include "common/win32/Utf.h"

namespace kolvex {

namespace {

std::string SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return {};
  const UniqueLocal owned(text);
  return Narrow(text);
}

}  // namespace

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

}  // namespace kolvex
