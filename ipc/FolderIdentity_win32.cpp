#include "ipc/FolderIdentity_win32.h"

#include <cstring>

#include "common/win32/FileIO.h"
#include "common/win32/Files.h"
#include "common/win32/Library.h"

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

std::optional<FolderIdentity> FolderIdentityAt(const std::string& path) {
  const UniqueFile folder = OpenFolderItself(WideLongPath(path), FILE_READ_ATTRIBUTES);
  return folder ? IdentityOf(folder.get()) : std::nullopt;
}

}  // namespace kolvex
