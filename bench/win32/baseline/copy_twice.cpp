// copy_twice A B C D [flush]: CopyFileW A to B, then C to D, with "flush"
// then FlushFileBuffers on D, and prints how many milliseconds it all took.
// The floor that Wine's own file copy sets for an update's backup and
// refresh (flushed: as durable as the launcher's refresh).
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

bool Flush(const wchar_t* path) {
  const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = FlushFileBuffers(file);
  CloseHandle(file);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5 && !(argc == 6 && std::wcscmp(argv[5], L"flush") == 0)) return 2;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const char* failed = !CopyFileW(argv[1], argv[2], FALSE)   ? "the first CopyFileW"
                       : !CopyFileW(argv[3], argv[4], FALSE) ? "the second CopyFileW"
                       : argc == 6 && !Flush(argv[4])         ? "the flush"
                                                              : nullptr;
  QueryPerformanceCounter(&end);
  if (failed) {
    std::fprintf(stderr, "copy_twice: %s failed with error %lu\n", failed, GetLastError());
    return 1;
  }
  std::printf("%lld\n", (end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
  return 0;
}
