// handoff_bench [ROUNDS] [components | report | stalled SHARE]: the launcher's cost
// when there is nothing to update. Times whole processes, from creation to
// exit, in one fresh installation: Kolvex.exe prog.exe /a (minus its
// one-second wait at start) against com_shell_open.exe prog.exe /a, which
// does what a correct hand-off must (COM for the shell, then ShellExecuteEx),
// and against shell_open.exe prog.exe /a, which only asks the shell to open
// the same target. The shared directory holds the same version of the
// target, so the launcher does its whole comparison. Rounds alternate the
// programs, and each round ends only once the target it started has ended.
// With "report": the quiet start with REPORT_DIR set against the same start
// without, to the target's start and to the launcher's end (target 1.02 to
// the target's start: the report is written after the hand-off).
// With "stalled": a start whose shared directory SHARE does not answer
// (tests/e2e/stalling_share.py) against the quiet start, both minus the wait;
// the first may take the time-box and 1.3 times the second.
// With "components": the cost of the list of the application's other files,
// Kolvex.exe with ten listed components, none to refresh (five by version,
// five by date), against Kolvex.exe with none listed, both minus the wait.
// Any failure is printed with what was seen, and the exit code is 1.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/win32/Spread.h"
#include "common/win32/DateTime.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "update/ShareProbe.h"
#include "update/StartReport_win32.h"

namespace {

using kolvex::bench::Spread;
using kolvex::bench::SpreadOf;
using kolvex::kShareTimeBoxMs;

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

// The launcher's one-second wait as this system sleeps it: Sleep wakes at
// the system's timer ticks, a little after the second (about 1 ms under
// Wine, up to a tick of 15.6 ms on Windows). That is the wait's, not the
// launcher's, so it is taken off whole. Median of three.
double LauncherWaitMs() {
  std::vector<double> waits;
  for (int i = 0; i < 3; ++i) {
    const double start = Now();
    Sleep(1000);
    waits.push_back(Now() - start);
  }
  return SpreadOf(waits).median;
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
// With handOffMs, also the milliseconds until the target recorded its start
// (what the user waits for), watched through the directory's change
// notifications rather than polled.
double TimeRun(const std::string& dir, const std::string& program, double* handOffMs = nullptr) {
  const std::string record = dir + "\\target-run.txt";
  const uint64_t recorded = FileSize(record);
  const HANDLE change = handOffMs ? FindFirstChangeNotificationW(kolvex::Widen(dir).c_str(), FALSE,
                                                                  FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                                                      FILE_NOTIFY_CHANGE_FILE_NAME)
                                  : INVALID_HANDLE_VALUE;
  const kolvex::UniqueHandle<HANDLE, &FindCloseChangeNotification, -1> watch(change);
  std::wstring commandLine = kolvex::Widen("\"" + dir + "\\" + program + "\" prog.exe /a");
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double start = Now();
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, kolvex::Widen(dir).c_str(), &si,
                      &pi))
    throw std::runtime_error("cannot start " + program + " (error " + std::to_string(GetLastError()) + ")");
  const kolvex::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
  if (handOffMs) {
    if (!watch) throw std::runtime_error("cannot watch " + dir);
    while (FileSize(record) == recorded) {
      if (WaitForSingleObject(change, kTimeoutMs) != WAIT_OBJECT_0)
        throw std::runtime_error("the target did not run after " + program);
      FindNextChangeNotification(change);
    }
    *handOffMs = Now() - start;
  }
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

// Each run's figures, the ratio of their medians and its target, and the
// ratios within each round.
void PrintComparison(const char* name, const std::vector<double>& runs, const char* baselineName,
                     const std::vector<double>& baseline, const std::vector<double>& ratio, const char* target) {
  const Spread r = SpreadOf(runs), b = SpreadOf(baseline);
  PrintFigure(name, r, "ms");
  PrintFigure(baselineName, b, "ms");
  std::printf("  %-36s %8.2f     %s%s\n", "ratio of the medians", r.median / b.median, *target ? "target: at most " : "",
              target);
  PrintFigure("ratio within a round", SpreadOf(ratio), "");
}

void ExpectNothingUpdated(const std::string& dir) {
  if (const uint64_t logged = FileSize(dir + "\\_updatefiles.LOG"); logged != 0)
    throw std::runtime_error("the launcher updated something: _updatefiles.LOG has " + std::to_string(logged) +
                             " bytes");
}

void WriteText(const std::string& path, const std::string& text) {
  const kolvex::UniqueFile file(CreateFileW(kolvex::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!file || !WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
    throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> ComponentNames() {
  std::vector<std::string> names;
  for (int i = 0; i < 5; ++i) {
    names.push_back("lib" + std::to_string(i) + ".dll");
    names.push_back("help" + std::to_string(i) + ".hlp");
  }
  return names;
}

// Kolvex.exe with the ten components listed and with none, alternately.
void MeasureComponents(const std::string& dir, const std::string& binDir, int rounds, double launcherWait) {
  std::string listed = "[SKLADNIKI]\r\n";
  for (const std::string& name : ComponentNames()) {
    const bool help = name.ends_with(".hlp");
    // A copy keeps the last-write time: the dates compare equal too.
    Copy(binDir + (help ? "\\target_noversion.exe" : "\\target_v1013.exe"), dir + "\\SHARED\\" + name);
    Copy(dir + "\\SHARED\\" + name, dir + "\\" + name);
    listed += "k=" + name + (help ? ",2\r\n" : "\r\n");
  }
  const auto timed = [&](const std::string& settings) {
    WriteText(dir + "\\baza.set", settings);
    return TimeRun(dir, "Kolvex.exe") - launcherWait;
  };
  timed(listed);  // the first start of each pays for loading; not counted
  std::vector<double> ten, none, ratio;
  for (int i = 0; i < rounds; ++i) {
    ten.push_back(timed(listed));
    none.push_back(timed(""));
    ratio.push_back(ten.back() / none.back());
  }
  ExpectNothingUpdated(dir);
  std::printf("ten listed components, none to refresh (%d runs of each, minus the %.2f ms wait):\n", rounds,
              launcherWait);
  PrintComparison("Kolvex.exe, ten listed", ten, "Kolvex.exe, none listed (baseline)", none, ratio, "1.5");
}

// Kolvex.exe against the floor of a correct hand-off and the shell's open
// alone, alternately.
void MeasureHandOff(const std::string& dir, const std::string& benchDir, int rounds, double launcherWait) {
  const char* const baselines[] = {"com_shell_open.exe", "shell_open.exe"};
  for (const char* baseline : baselines) {
    Copy(benchDir + "\\baseline\\" + baseline, dir + "\\" + baseline);
    TimeRun(dir, baseline);  // the first start of each pays for loading; not counted
  }
  TimeRun(dir, "Kolvex.exe");
  std::vector<double> launcher, baseline[2], ratio[2];
  for (int i = 0; i < rounds; ++i) {
    launcher.push_back(TimeRun(dir, "Kolvex.exe") - launcherWait);
    for (int b = 0; b < 2; ++b) {
      baseline[b].push_back(TimeRun(dir, baselines[b]));
      ratio[b].push_back(launcher.back() / baseline[b].back());
    }
  }
  ExpectNothingUpdated(dir);
  std::printf("hand-off, nothing to update (%d runs of each):\n", rounds);
  std::printf("the launcher's one-second wait as this system sleeps it: %.2f ms\n", launcherWait);
  PrintComparison("Kolvex.exe minus that wait", launcher, "com_shell_open.exe (the floor)", baseline[0], ratio[0],
                  "1.05");
  PrintComparison("Kolvex.exe minus that wait", launcher, "shell_open.exe (the shell alone)", baseline[1], ratio[1],
                  "");
}

// The quiet start with a start report to write against the same start
// without: until the target recorded its start (the report is written
// after the hand-off) and until the launcher ended.
void MeasureReport(const std::string& dir, int rounds, double launcherWait) {
  const std::string reports = dir + "-raporty";
  CreateDirectoryW(kolvex::Widen(reports).c_str(), nullptr);
  std::vector<double> handOff[2], end[2], ratio[2];
  const auto timed = [&](bool report) {
    WriteText(dir + "\\baza.set", report ? "[MAIN]\r\nREPORT_DIR=" + reports + "\r\n" : "");
    double toTarget = 0;
    end[report].push_back(TimeRun(dir, "Kolvex.exe", &toTarget) - launcherWait);
    handOff[report].push_back(toTarget - launcherWait);
  };
  timed(true);  // the first start of each pays for loading; not counted
  timed(false);
  for (int k = 0; k < 2; ++k) handOff[k].clear(), end[k].clear();
  for (int i = 0; i < rounds; ++i) {
    timed(true);
    timed(false);
    ratio[0].push_back(handOff[1].back() / handOff[0].back());
    ratio[1].push_back(end[1].back() / end[0].back());
  }
  ExpectNothingUpdated(dir);
  const std::string report = reports + "\\" + kolvex::StartReportFileName(kolvex::ComputerName());
  const bool reported = FileSize(report) != 0;
  DeleteFileW(kolvex::Widen(report).c_str());
  RemoveDirectoryW(kolvex::Widen(reports).c_str());
  if (!reported) throw std::runtime_error("no start report was written");
  std::printf("a start report to write (%d runs of each, minus the %.2f ms wait):\n", rounds, launcherWait);
  PrintComparison("with REPORT_DIR, to the target's start", handOff[1], "without, to the target's start", handOff[0],
                  ratio[0], "1.02");
  PrintComparison("with REPORT_DIR, to the launcher's end", end[1], "without, to the launcher's end", end[0], ratio[1],
                  "");
}

// Kolvex.exe whose shared directory does not answer against the quiet start.
void MeasureStalledShare(const std::string& dir, const std::string& share, int rounds, double launcherWait) {
  const auto timed = [&](const std::string& settings) {
    WriteText(dir + "\\baza.set", settings);
    return TimeRun(dir, "Kolvex.exe") - launcherWait;
  };
  const std::string stalled = "[MAIN]\r\nSHARED_DIR=" + share + "\r\n";
  timed("");  // the first start pays for loading; not counted
  std::vector<double> stall, quiet, ratio;
  for (int i = 0; i < rounds; ++i) {
    stall.push_back(timed(stalled) - kShareTimeBoxMs);
    quiet.push_back(timed(""));
    ratio.push_back(stall.back() / quiet.back());
  }
  ExpectNothingUpdated(dir);
  std::printf("a share that does not answer (%d runs of each, minus the %.2f ms wait and the %u ms time-box):\n",
              rounds, launcherWait, kShareTimeBoxMs);
  PrintComparison("Kolvex.exe, share stalled", stall, "Kolvex.exe, quiet (baseline)", quiet, ratio, "1.3");
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const std::string mode = argc > 2 ? argv[2] : "";
  if (mode == "stalled" && argc < 4) {
    std::fprintf(stderr, "handoff_bench: stalled needs the stalling share's directory\n");
    return 2;
  }
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
    Copy(binDir + "\\target_v1013.exe", dir + "\\prog.exe");
    Copy(binDir + "\\target_v1013.exe", dir + "\\SHARED\\prog.exe");
    if (mode == "components")
      MeasureComponents(dir, binDir, rounds, LauncherWaitMs());
    else if (mode == "report")
      MeasureReport(dir, rounds, LauncherWaitMs());
    else if (mode == "stalled")
      MeasureStalledShare(dir, argv[3], rounds, LauncherWaitMs());
    else
      MeasureHandOff(dir, benchDir, rounds, LauncherWaitMs());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "handoff_bench: FAILED: %s\n", e.what());
    result = 1;
  }
  for (const char* name : {"\\SHARED\\prog.exe", "\\prog.exe", "\\Kolvex.exe", "\\Kolvex.lock", "\\shell_open.exe",
                           "\\com_shell_open.exe", "\\target-run.txt",
                           "\\_updatefiles.LOG", "\\baza.set"})
    DeleteFileW(kolvex::Widen(dir + name).c_str());
  for (const std::string& name : ComponentNames()) {
    DeleteFileW(kolvex::Widen(dir + "\\" + name).c_str());
    DeleteFileW(kolvex::Widen(dir + "\\SHARED\\" + name).c_str());
  }
  RemoveDirectoryW(kolvex::Widen(dir + "\\SHARED").c_str());
  RemoveDirectoryW(kolvex::Widen(dir).c_str());
  return result;
}
