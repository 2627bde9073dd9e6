// Does the version query read the whole file? GetFileVersionString on a
// program with a 1 GiB overlay appended, against the same program without
// it, measured in the same run. The ratio should be close to 1.
//   filever_overlay.exe [program with version information]
// By default the fixture program filever_polish.exe of the same build.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/win32/Spread.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "files/FileVer_win32.h"

namespace {

using kolvex::bench::Spread;
using kolvex::bench::SpreadOf;

constexpr LONGLONG kLargeSize = 1LL << 30;
constexpr int kRounds = 300;

std::wstring ProgramToMeasure() {
  int argc = 0;
  kolvex::UniqueLocal args(CommandLineToArgvW(GetCommandLineW(), &argc));
  if (argc > 1) return reinterpret_cast<wchar_t**>(args.get())[1];
  const std::wstring self = kolvex::Widen(kolvex::ModuleFileName());
  const std::wstring benchDir = self.substr(0, self.find_last_of(L'\\'));
  return benchDir.substr(0, benchDir.find_last_of(L'\\')) + L"\\bin\\filever_polish.exe";
}

// A directory of its own under %TEMP%, removed with its files at the end.
class ScratchDir {
 public:
  ScratchDir() {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    path_ = std::wstring(temp) + L"kolvex-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchDir() {
    for (const std::wstring& file : files_) DeleteFileW(file.c_str());
    RemoveDirectoryW(path_.c_str());
  }
  std::wstring File(const wchar_t* name) {
    files_.push_back(path_ + L"\\" + name);
    return files_.back();
  }

 private:
  std::wstring path_;
  std::vector<std::wstring> files_;
};

// Appends zeros up to the size: the overlay a self-extracting archive or an
// installer carries behind the program.
bool GrowTo(const std::wstring& file, LONGLONG size) {
  kolvex::UniqueFile f(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER end{};
  end.QuadPart = size;
  if (!f || !SetFilePointerEx(f.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(f.get())) return false;
  LARGE_INTEGER actual{};
  return GetFileSizeEx(f.get(), &actual) && actual.QuadPart == size;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
  const std::wstring program = ProgramToMeasure();
  ScratchDir scratch;
  const std::wstring small = scratch.File(L"small.exe");
  const std::wstring large = scratch.File(L"large.exe");
  if (!CopyFileW(program.c_str(), small.c_str(), FALSE) || !CopyFileW(program.c_str(), large.c_str(), FALSE)) {
    std::printf("cannot copy %s (build the fixtures first)\n", kolvex::Narrow(program).c_str());
    return 1;
  }
  if (!GrowTo(large, kLargeSize)) {
    std::printf("cannot make a 1 GiB file\n");
    return 1;
  }
  const std::string smallName = kolvex::Narrow(small);
  const std::string largeName = kolvex::Narrow(large);
  const std::string expected = kolvex::GetFileVersionString(smallName, "FileVersion");
  if (expected.empty() || kolvex::GetFileVersionString(largeName, "FileVersion") != expected) {
    std::printf("no version read from %s\n", kolvex::Narrow(program).c_str());
    return 1;
  }

  // Turn about, so that both meet the same state of the system.
  std::vector<double> smallTimes;
  std::vector<double> largeTimes;
  for (int round = 0; round < kRounds; ++round) {
    for (bool isLarge : {false, true}) {
      LARGE_INTEGER start;
      LARGE_INTEGER stop;
      QueryPerformanceCounter(&start);
      const std::string version = kolvex::GetFileVersionString(isLarge ? largeName : smallName, "FileVersion");
      QueryPerformanceCounter(&stop);
      if (version != expected) {
        std::printf("FAILED: version \"%s\" read, not \"%s\"\n", version.c_str(), expected.c_str());
        return 1;
      }
      (isLarge ? largeTimes : smallTimes).push_back(Seconds(start, stop));
    }
  }
  const Spread alone = SpreadOf(smallTimes), overlay = SpreadOf(largeTimes);
  std::printf("GetFileVersionString(\"FileVersion\") = %s, %d calls each, us\n", expected.c_str(), kRounds);
  std::printf("                           median      min      max\n");
  std::printf("  program alone:          %8.1f %8.1f %8.1f\n", alone.median * 1e6, alone.min * 1e6, alone.max * 1e6);
  std::printf("  program + 1 GiB overlay:%8.1f %8.1f %8.1f\n", overlay.median * 1e6, overlay.min * 1e6,
              overlay.max * 1e6);
  std::printf("  ratio of the medians:   %8.2f\n", overlay.median / alone.median);
  return 0;
}
