#include "service/EventLog_win32.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "common/win32/Utf.h"
#include "ipc/ServiceProtocol.h"

namespace kolvex {

namespace {

// The message of the service's message table (KolvexUsluga.mc) that shows its one text.
constexpr DWORD kTextEvent = 1;
// The source's name, wide without a conversion, which may not allocate here.
constexpr std::wstring_view kSource = L"KolvexUsluga";
static_assert(std::ranges::equal(kSource, kServiceName, [](wchar_t a, char b) { return a == static_cast<wchar_t>(b); }));
constexpr UINT kCrashExitCode = 3;

// Nothing here may allocate: it runs when the process is already broken.
void ReportWide(WORD type, const wchar_t* text) noexcept {
  const HANDLE source = RegisterEventSourceW(nullptr, kSource.data());
  if (!source) return;
  ReportEventW(source, type, 0, kTextEvent, nullptr, 1, 0, &text, nullptr);
  DeregisterEventSource(source);
}

LONG WINAPI ReportUncaught(EXCEPTION_POINTERS* exception) {
  wchar_t text[160];
  std::swprintf(text, 160, L"Usługa aktualizacji zakończyła się błędem: wyjątek 0x%08lX pod adresem 0x%p.",
                exception->ExceptionRecord->ExceptionCode, exception->ExceptionRecord->ExceptionAddress);
  ReportWide(EVENTLOG_ERROR_TYPE, text);
  TerminateProcess(GetCurrentProcess(), kCrashExitCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

[[noreturn]] void ReportTerminate() {
  ReportWide(EVENTLOG_ERROR_TYPE, L"Usługa aktualizacji zakończyła się błędem: nieobsłużony wyjątek.");
  TerminateProcess(GetCurrentProcess(), kCrashExitCode);
  std::abort();
}

}  // namespace

void LogEvent(WORD type, std::string_view text) noexcept {
  try {
    ReportWide(type, Widen(text).c_str());
  } catch (...) {
    ReportWide(type, L"Usługa aktualizacji: brak pamięci na treść zdarzenia.");
  }
}

void ReportCrashesToTheEventLog() noexcept {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(ReportUncaught);
  std::set_terminate(ReportTerminate);
}

}  // namespace kolvex
