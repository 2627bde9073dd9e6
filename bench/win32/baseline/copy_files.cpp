// copy_files [/flush] FROM TO NAME...: CopyFileW FROM\NAME to TO\NAME for
// each name, TO made first; with /flush each copy then FlushFileBuffers'd.
// The floor of setting a workstation up: the same files copied by the
// system's own call, nothing checked (flushed: as durable as the set-up's
// verified copy).
#include <windows.h>

#include <cstdio>
#include <string>

bool Flush(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = FlushFileBuffers(file);
  CloseHandle(file);
  return ok;
}

int wmain(int argc, wchar_t** argv) {
  const bool flush = argc > 1 && std::wstring(argv[1]) == L"/flush";
  argc -= flush;
  argv += flush;
  if (argc < 4) return 2;
  const std::wstring from = argv[1], to = argv[2];
  if (!CreateDirectoryW(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return 1;
  for (int i = 3; i < argc; ++i) {
    const std::wstring target = to + L"\\" + argv[i];
    if (!CopyFileW((from + L"\\" + argv[i]).c_str(), target.c_str(), FALSE) || (flush && !Flush(target))) {
      std::fprintf(stderr, "copy_files: CopyFileW or the flush failed with error %lu\n", GetLastError());
      return 1;
    }
  }
  return 0;
}
