// handoff_bench [ROUNDS]: the launcher's cost when there is nothing to
// update. Times whole processes, from creation to exit, in one fresh
// installation: Kolvex.exe prog.exe /a (minus its fixed 1000 ms wait at
// start) against shell_open.exe prog.exe /a, which only asks the shell to
// open the same target. The shared directory holds the same version of the
// target, so the launcher does its whole comparison. Rounds alternate the two
// programs, and each round ends only once the target it started has ended.
// Any failure is printed with what was seen, and the exit code is 1.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/win32/Spread.h"
#include "common/win32/Handles.h"
#include "common/win32/Module.h"
#include "common/win32/Utf.h"

namespace {

using kolvex::bench::Spread;
using kolvex::bench::SpreadOf;

constexpr double kLauncherWaitMs = 1000.0;
constexpr int kTimeoutMs = 10000;

std::string DirOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

void Copy(const std::string& from, const std::string& to) {
  if (!CopyFileW(kolvex::Widen(from).c_str(), kolvex::Widen(to).c_str(), FALSE))
    throw std::runtime_error("cannot copy " + from + " (error " + std::to_string(GetLastError()) + ")");
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

// Polls done() every 5 ms; throws what after the time-out.
template <class Done>
void WaitFor(Done done, const std::string& what) {
  for (int waited = 0; !done(); waited += 5) {
    if (waited > kTimeoutMs) throw std::runtime_error(what);
    Sleep(5);
  }
}

// A running program's file cannot be opened for writing: once it can, the
// program has ended.
bool ProgramEnded(const std::string& path) {
  const kolvex::UniqueFile file(CreateFileW(kolvex::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}

BOOL CALLBACK CollectVisible(HWND w, LPARAM out) noexcept {
  if (!IsWindowVisible(w)) return TRUE;
  wchar_t title[256] = L"", cls[256] = L"";
  GetWindowTextW(w, title, 256);
  GetClassNameW(w, cls, 256);
  try {
    reinterpret_cast<std::vector<std::string>*>(out)->push_back("\"" + kolvex::Narrow(title) + "\" [" +
                                                                kolvex::Narrow(cls) + "]");
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

// "title" [class] of every visible top-level window.
std::vector<std::string> VisibleWindows() {
  std::vector<std::string> found;
  EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Runs program in dir with the target's arguments; returns the milliseconds
// from process creation to its exit. Returns once the target it handed off
// to has run and ended, and no window is left open.
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
    throw std::runtime_error("cannot start " + program + " (error " + std::to_string(GetLastError()) + ")");
  const kolvex::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
  if (WaitForSingleObject(pi.hProcess, kTimeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    throw std::runtime_error(program + " still ran after " + std::to_string(kTimeoutMs) + " ms");
  }
  const double elapsed = Now() - start;
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  if (code != 0) throw std::runtime_error(program + " ended with exit code " + std::to_string(code));
  WaitFor([&] { return FileSize(record) != recorded; }, "the target did not run after " + program);
  WaitFor([&] { return ProgramEnded(dir + "\\prog.exe"); }, "the target started by " + program + " did not end");
  if (const auto windows = VisibleWindows(); !windows.empty()) {
    std::string seen;
    for (const std::string& w : windows) seen += " " + w;
    throw std::runtime_error("a window was left open after " + program + ":" + seen);
  }
  return elapsed;
}

void PrintFigure(const char* name, const Spread& s, const char* unit) {
  std::printf("  %-36s %8.2f %-3s (min %.2f, max %.2f)\n", name, s.median, unit, s.min, s.max);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  // Holds the session's desktop for the whole run, as Windows always has one:
  // Wine otherwise ends it after each program and starts it again with the next.
  GetDesktopWindow();
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
    std::vector<double> launcher, baseline, ratio;
    for (int i = 0; i < rounds; ++i) {
      launcher.push_back(TimeRun(dir, "Kolvex.exe") - kLauncherWaitMs);
      baseline.push_back(TimeRun(dir, "shell_open.exe"));
      ratio.push_back(launcher.back() / baseline.back());
    }
    if (const uint64_t logged = FileSize(dir + "\\_updatefiles.LOG"); logged != 0)
      throw std::runtime_error("the launcher updated something: _updatefiles.LOG has " + std::to_string(logged) +
                               " bytes");
    const Spread l = SpreadOf(launcher), b = SpreadOf(baseline);
    std::printf("hand-off, nothing to update (%d runs of each):\n", rounds);
    PrintFigure("Kolvex.exe minus its 1000 ms wait", l, "ms");
    PrintFigure("shell_open.exe (baseline)", b, "ms");
    std::printf("  %-36s %8.2f     (target: at most 1.05)\n", "ratio of the medians", l.median / b.median);
    PrintFigure("ratio within a round", SpreadOf(ratio), "");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "handoff_bench: FAILED: %s\n", e.what());
    result = 1;
  }
  for (const char* name : {"\\SHARED\\prog.exe", "\\prog.exe", "\\Kolvex.exe", "\\shell_open.exe", "\\target-run.txt",
                           "\\_updatefiles.LOG"})
    DeleteFileW(kolvex::Widen(dir + name).c_str());
  RemoveDirectoryW(kolvex::Widen(dir + "\\SHARED").c_str());
  RemoveDirectoryW(kolvex::Widen(dir).c_str());
  return result;
}
