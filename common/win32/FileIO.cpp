#include "common/win32/FileIO.h"

namespace kolvex {

namespace {

UniqueFile Open(const std::wstring& path, DWORD access, DWORD sharing, DWORD disposition, DWORD flags) {
  return UniqueFile(CreateFileW(path.c_str(), access, sharing, nullptr, disposition, flags, nullptr));
}

// Written through: a rename that the system carries out as a copy and a
// deletion is on the disk before the call returns.
DWORD Move(const std::wstring& from, const std::wstring& to, DWORD flags) {
  return LastErrorUnless(MoveFileExW(from.c_str(), to.c_str(), flags | MOVEFILE_WRITE_THROUGH));
}

}  // namespace

UniqueFile OpenForReadingSharedWithAll(const std::wstring& path, DWORD flags) {
  return Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, flags);
}

UniqueFile OpenForReadingSharedForReading(const std::wstring& path) {
  return Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
}

UniqueFile OpenForReadingSharedExceptWriting(const std::wstring& path, DWORD flags) {
  return Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING, flags);
}

UniqueFile OpenForWritingAlone(const std::wstring& path) {
  return Open(path, GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
}

UniqueFile CreateForWritingAlone(const std::wstring& path) {
  return Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
}

UniqueFile CreateNewForWritingAlone(const std::wstring& path) {
  return Open(path, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
}

UniqueFile OpenOrCreateAlone(const std::wstring& path, DWORD access, DWORD attributes) {
  return Open(path, access, 0, OPEN_ALWAYS, attributes);
}

UniqueFile OpenOrCreateBesideReaders(const std::wstring& path, DWORD access, DWORD attributes) {
  return Open(path, access, FILE_SHARE_READ, OPEN_ALWAYS, attributes);
}

UniqueFile OpenFolderItself(const std::wstring& path, DWORD access) {
  return Open(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
}

UniqueFile OpenPipeIdentifyingOnly(const std::wstring& name, DWORD access) {
  return Open(name, access, 0, OPEN_EXISTING, FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION);
}

UniqueFile OpenForRenaming(const std::wstring& path) {
  return Open(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
              FILE_ATTRIBUTE_NORMAL);
}

DWORD RenameFile(const std::wstring& from, const std::wstring& to) { return Move(from, to, 0); }

DWORD ReplaceByRenaming(const std::wstring& from, const std::wstring& to) {
  return Move(from, to, MOVEFILE_REPLACE_EXISTING);
}

DWORD DeleteFileNamed(const std::wstring& path) { return LastErrorUnless(DeleteFileW(path.c_str())); }

// One copy: every call to an imported function costs Kolvex.exe a
// relocation besides its code.
DWORD LastErrorUnless(BOOL ok) { return ok ? ERROR_SUCCESS : GetLastError(); }

}  // namespace kolvex
