#include "launcher/FolderIdentity_win32.h"

#include <cstring>

#include "common/win32/Files.h"
#include "common/win32/Library.h"
#include "common/win32/Utf.h"

namespace kolvex {

namespace {

// FILE_ID_INFO and its class number (FileIdInfo), which Windows XP's
// headers lack; GetFileInformationByHandleEx is Vista's, and the class
// Windows 8's: looked up and asked, with the older call as the fallback.
struct FileIdInfo {
  ULONGLONG volumeSerialNumber;
  BYTE fileId[16];
};
constexpr int kFileIdInfoClass = 18;
using GetFileInformationByHandleExFunction = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);

}  // namespace

UniqueFile OpenFolderItself(const std::string& path, DWORD access) {
  return UniqueFile(CreateFileW(WideLongPath(path).c_str(), access,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

std::optional<FolderIdentity> IdentityOf(HANDLE file) {
  FolderIdentity identity;
  const auto getEx = ProcAddress<GetFileInformationByHandleExFunction>(GetModuleHandleW(L"kernel32"),
                                                                       "GetFileInformationByHandleEx");
  if (FileIdInfo info{}; getEx && getEx(file, kFileIdInfoClass, &info, sizeof info)) {
    identity.volumeSerial = info.volumeSerialNumber;
    std::memcpy(identity.fileId.data(), info.fileId, sizeof info.fileId);
    return identity;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return std::nullopt;
  identity.volumeSerial = info.dwVolumeSerialNumber;
  const ULONGLONG index = ULONGLONG{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
  for (size_t i = 0; i < 8; ++i) identity.fileId[i] = static_cast<std::uint8_t>(index >> (8 * i));
  return identity;
}

}  // namespace kolvex
