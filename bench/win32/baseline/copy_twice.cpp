// copy_twice A B C D: CopyFileW A to B, then C to D, and prints how many
// milliseconds the two took. The floor that Wine's own file copy sets for an
// update's backup and refresh.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) return 2;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const bool ok = CopyFileW(argv[1], argv[2], FALSE) && CopyFileW(argv[3], argv[4], FALSE);
  QueryPerformanceCounter(&end);
  if (!ok) return 1;
  std::printf("%lld\n", (end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
  return 0;
}
