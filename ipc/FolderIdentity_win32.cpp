#include "ipc/FolderIdentity_win32.h"

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
  const auto getEx = ProcAddress<GetFileInformationByHandleExFunction>(GetModuleHandleW(L"kernel32"),
                                                                       "GetFileInformationByHandleEx");
  if (FileIdInfo info{}; getEx && getEx(file, kFileIdInfoClass, &info, sizeof info))
    return FolderIdentityOf(info.volumeSerialNumber, info.fileId);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return std::nullopt;
  return FolderIdentityOf(info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow);
}

std::optional<FolderIdentity> FolderIdentityAt(const std::string& path) {
  const UniqueFile folder = OpenFolderItself(WideLongPath(path), FILE_READ_ATTRIBUTES);
  return folder ? IdentityOf(folder.get()) : std::nullopt;
}

}  // namespace kolvex
