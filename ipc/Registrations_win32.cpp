#include "ipc/Registrations_win32.h"

#include <windows.h>

#include "common/win32/Handles.h"
#include "common/win32/Utf.h"

namespace kolvex {

namespace {

constexpr wchar_t kKey[] = L"SOFTWARE\\Kolvex\\Usluga\\Instalacje";
constexpr wchar_t kPathValue[] = L"Folder";
constexpr size_t kKeyNameLength = 16 + 1 + 32;

using UniqueKey = UniqueHandle<HKEY, &RegCloseKey>;

// The identity as the key's name: the volume's serial number, "-", the file
// id, in hexadecimal digits.
std::wstring KeyName(const FolderIdentity& folder) {
  constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring name;
  for (int shift = 60; shift >= 0; shift -= 4) name += kDigits[folder.volumeSerial >> shift & 0xF];
  name += L'-';
  for (std::uint8_t byte : folder.fileId) name.append({kDigits[byte >> 4], kDigits[byte & 0xF]});
  return name;
}

std::optional<FolderIdentity> FromKeyName(std::wstring_view name) {
  if (name.size() != kKeyNameLength || name[16] != L'-') return std::nullopt;
  const auto digit = [](wchar_t c) -> int {
    return c >= L'0' && c <= L'9' ? c - L'0' : c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
  };
  FolderIdentity folder;
  for (size_t i = 0; i < kKeyNameLength; ++i) {
    if (i == 16) continue;
    if (digit(name[i]) < 0) return std::nullopt;
  }
  for (size_t i = 0; i < 16; ++i) folder.volumeSerial = folder.volumeSerial << 4 | digit(name[i]);
  for (size_t i = 0; i < 16; ++i) folder.fileId[i] = static_cast<std::uint8_t>(digit(name[17 + 2 * i]) << 4 | digit(name[18 + 2 * i]));
  return folder;
}

UniqueKey OpenKey(const std::wstring& path, REGSAM access) {
  HKEY key = nullptr;
  const LONG error = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &key);
  SetLastError(static_cast<DWORD>(error));
  return UniqueKey(error == ERROR_SUCCESS ? key : nullptr);
}

std::optional<std::string> PathValue(HKEY key) {
  wchar_t path[32768];
  DWORD type = 0, size = sizeof path - sizeof(wchar_t);
  if (RegQueryValueExW(key, kPathValue, nullptr, &type, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  path[size / sizeof(wchar_t)] = L'\0';  // a value written without its terminating zero
  return Narrow(path);
}

}  // namespace

std::optional<std::string> RegisteredPath(const FolderIdentity& folder) {
  const UniqueKey key = OpenKey(std::wstring(kKey) + L'\\' + KeyName(folder), KEY_QUERY_VALUE);
  if (!key) return std::nullopt;
  return PathValue(key.get());
}

std::vector<Registration> Registrations() {
  std::vector<Registration> found;
  const UniqueKey key = OpenKey(kKey, KEY_ENUMERATE_SUB_KEYS);
  if (!key) return found;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    const std::optional<FolderIdentity> folder = FromKeyName({name, length});
    if (!folder) continue;
    if (std::optional<std::string> path = RegisteredPath(*folder)) found.push_back({*folder, std::move(*path)});
  }
  return found;
}

bool Register(const Registration& registration) {
  HKEY key = nullptr;
  LONG error = RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kKey) + L'\\' + KeyName(registration.folder)).c_str(),
                               0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  if (error == ERROR_SUCCESS) {
    const UniqueKey owned(key);
    const std::wstring path = Widen(registration.path);
    error = RegSetValueExW(key, kPathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                           static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  }
  SetLastError(static_cast<DWORD>(error));
  return error == ERROR_SUCCESS;
}

bool Unregister(const FolderIdentity& folder) {
  const LONG error = RegDeleteKeyW(HKEY_LOCAL_MACHINE, (std::wstring(kKey) + L'\\' + KeyName(folder)).c_str());
  SetLastError(static_cast<DWORD>(error));
  return error == ERROR_SUCCESS;
}

void RemoveEmptyRegistrationKeys() {
  // From the innermost up; a key that holds anything (another program's
  // value under SOFTWARE\Kolvex) stays.
  std::wstring path = kKey;
  for (int level = 0; level < 3; ++level) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    DWORD subKeys = 1, values = 1;
    const LONG error = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                                        nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS || subKeys || values || RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str())) return;
    path.resize(path.rfind(L'\\'));
  }
}

}  // namespace kolvex
