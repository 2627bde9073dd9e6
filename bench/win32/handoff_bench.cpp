// handoff_bench [ROUNDS]: the launcher's cost when there is nothing to
// update. Times whole processes, from creation to exit, in one fresh
// installation: Kolvex.exe prog.exe /a (minus its fixed 1000 ms wait at
// start) against shell_open.exe prog.exe /a, which only asks the shell to
// open the same target. The shared directory holds the same version of the
// target, so the launcher does its whole comparison. Rounds alternate the two
// programs; medians are reported.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/win32/Module.h"
#include "common/win32/Utf.h"

namespace {

constexpr double kLauncherWaitMs = 1000.0;

std::string DirOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

void Copy(const std::string& from, const std::string& to) {
  if (!CopyFileW(kolvex::Widen(from).c_str(), kolvex::Widen(to).c_str(), FALSE))
    throw std::runtime_error("cannot copy " + from);
}

uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(kolvex::Widen(path).c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

double Now() {
  static const double ticksPerMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / ticksPerMs;
}

// Runs program in dir with the target's arguments; returns the milliseconds
// from process creation to its exit, after the target has also run.
double TimeRun(const std::string& dir, const std::string& program) {
  const std::string record = dir + "\\target-run.txt";
  const uint64_t recorded = FileSize(record);
  std::wstring commandLine = kolvex::Widen("\"" + dir + "\\" + program + "\" prog.exe /a");
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double start = Now();
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, kolvex::Widen(dir).c_str(), &si,
                      &pi))
    throw std::runtime_error("cannot start " + program);
  WaitForSingleObject(pi.hProcess, INFINITE);
  const double elapsed = Now() - start;
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (code != 0) throw std::runtime_error(program + " failed");
  // The target runs on its own; let it finish before the next round is timed.
  for (int waited = 0; FileSize(record) == recorded; waited += 5) {
    if (waited > 10000) throw std::runtime_error("the target did not start after " + program);
    Sleep(5);
  }
  Sleep(50);
  return elapsed;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const std::string benchDir = DirOf(kolvex::ModuleFileName());
  const std::string binDir = DirOf(benchDir) + "\\bin";

  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  const std::string dir = kolvex::Narrow(temp) + "kolvex-bench-handoff-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryW(kolvex::Widen(dir).c_str(), nullptr);
  CreateDirectoryW(kolvex::Widen(dir + "\\SHARED").c_str(), nullptr);
  int result = 0;
  try {
    Copy(binDir + "\\Kolvex.exe", dir + "\\Kolvex.exe");
    Copy(benchDir + "\\baseline\\shell_open.exe", dir + "\\shell_open.exe");
    Copy(binDir + "\\target_v1013.exe", dir + "\\prog.exe");
    Copy(binDir + "\\target_v1013.exe", dir + "\\SHARED\\prog.exe");

    TimeRun(dir, "shell_open.exe");  // the first start of each pays for loading; not counted
    TimeRun(dir, "Kolvex.exe");
    std::vector<double> launcher, baseline;
    for (int i = 0; i < rounds; ++i) {
      launcher.push_back(TimeRun(dir, "Kolvex.exe") - kLauncherWaitMs);
      baseline.push_back(TimeRun(dir, "shell_open.exe"));
    }
    const double l = Median(launcher), b = Median(baseline);
    if (FileSize(dir + "\\_updatefiles.LOG") != 0) throw std::runtime_error("the launcher updated something");
    std::printf("hand-off, nothing to update (median of %d runs):\n", rounds);
    std::printf("  Kolvex.exe minus its 1000 ms wait  %8.1f ms\n", l);
    std::printf("  shell_open.exe (baseline)          %8.1f ms\n", b);
    std::printf("  ratio                              %8.2f\n", l / b);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "handoff_bench: %s\n", e.what());
    result = 1;
  }
  for (const char* name : {"\\SHARED\\prog.exe", "\\prog.exe", "\\Kolvex.exe", "\\shell_open.exe", "\\target-run.txt",
                           "\\_updatefiles.LOG"})
    DeleteFileW(kolvex::Widen(dir + name).c_str());
  RemoveDirectoryW(kolvex::Widen(dir + "\\SHARED").c_str());
  RemoveDirectoryW(kolvex::Widen(dir).c_str());
  return result;
}
