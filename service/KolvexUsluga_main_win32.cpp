// KolvexUsluga.exe: the update service. Started with the system (and on
// demand by a start of a registered installation), it updates the
// installation for users who may not write its folder; it keeps its pipe
// while any installation is registered, and ends itself when idle only when
// none is. It runs as the system with only the privileges it needs, shows no
// window on any path, and says what it has to say in the event log.
#include <windows.h>

#include "common/win32/Handles.h"
#include "common/win32/Library.h"
#include "common/win32/Utf.h"
#include "ipc/ServiceProtocol.h"
#include "service/EventLog_win32.h"
#include "service/PipeServer_win32.h"
#include "service/Requests_win32.h"

namespace kolvex {

namespace {

// With no installation registered, a service that waits idle only holds memory.
constexpr DWORD kIdleMs = 2 * 60 * 1000;
// The making of the pipe, which may wait to learn who holds its name.
constexpr DWORD kStartWaitMs = 5000;
// What a stop waits for the updates under way to end.
constexpr DWORD kStopWaitMs = 30 * 1000;
constexpr DWORD kStopCheckMs = 200;

SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE stopRequested = nullptr;

void Report(DWORD state, DWORD exitCode = NO_ERROR, DWORD waitHintMs = 0, DWORD ownExitCode = 0) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
  status.dwWin32ExitCode = exitCode;
  status.dwServiceSpecificExitCode = ownExitCode;
  status.dwWaitHint = waitHintMs;
  SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
  if (control != SERVICE_CONTROL_STOP && control != SERVICE_CONTROL_SHUTDOWN) return NO_ERROR;
  Report(SERVICE_STOP_PENDING, NO_ERROR, kStopWaitMs);
  SetEvent(stopRequested);
  return NO_ERROR;
}

// Libraries by name from the system directory only; links followed only
// where the system trusts them to lead (Windows 10 2004's redirection guard).
void HardenProcess() {
  SetDllDirectoryW(L"");
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32");
  if (const auto setDefault = ProcAddress<BOOL(WINAPI*)(DWORD)>(kernel32, "SetDefaultDllDirectories"))
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY redirection{};
  redirection.EnforceRedirectionTrust = 1;
  if (const auto setMitigation = ProcAddress<BOOL(WINAPI*)(PROCESS_MITIGATION_POLICY, void*, SIZE_T)>(
          kernel32, "SetProcessMitigationPolicy"))
    setMitigation(ProcessRedirectionTrustPolicy, &redirection, sizeof redirection);
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
  statusHandle = RegisterServiceCtrlHandlerExW(Widen(kServiceName).c_str(), Control, nullptr);
  if (!statusHandle) return;
  Report(SERVICE_START_PENDING, NO_ERROR, kStartWaitMs);
  // Running once its pipe is there, before anything else: a start that
  // started the service waits for exactly this, and finds the service's
  // pipe, not another program's; nothing has touched a file or share yet.
  UniqueFile pipe = FirstPipeInstance();
  if (!pipe) {
    const DWORD error = GetLastError();
    LogEvent(EVENTLOG_ERROR_TYPE, "Usługa aktualizacji nie może utworzyć swojego potoku " + std::string(kServicePipe) +
                                      " (kod błędu " + std::to_string(error) + "): " + PipeHolder() + ".");
    Report(SERVICE_STOPPED, ERROR_SERVICE_SPECIFIC_ERROR, 0, kPipeTakenExitCode);
    return;
  }
  Report(SERVICE_RUNNING);
  // Lives as long as the process: connections end on threads of their own.
  RequestBoard& board = *new RequestBoard(kMostConnectionsPerSession);
  ServePipe(std::move(pipe), stopRequested, kIdleMs, board);
  Report(SERVICE_STOP_PENDING, NO_ERROR, kStopWaitMs);
  for (DWORD waited = 0; !board.Idle() && waited < kStopWaitMs; waited += kStopCheckMs) Sleep(kStopCheckMs);
  Report(SERVICE_STOPPED);
}

}  // namespace

}  // namespace kolvex

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  kolvex::ReportCrashesToTheEventLog();
  kolvex::HardenProcess();
  kolvex::stopRequested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::wstring name = kolvex::Widen(kolvex::kServiceName);
  const SERVICE_TABLE_ENTRYW table[] = {{name.data(), kolvex::ServiceMain}, {nullptr, nullptr}};
  // Started any other way than by the service manager, it ends at once,
  // with no window: there is nobody to tell.
  return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
