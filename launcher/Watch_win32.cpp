#include "launcher/Watch_win32.h"

#include "common/Integers.h"
#include "common/Paths.h"
#include "common/win32/Files.h"
#include "common/win32/Utf.h"
#include "update/Release.h"
#include "update/Release_win32.h"
#include "update/Settings_win32.h"

namespace kolvex {

namespace {

// How long the watch waits for the launcher's own report before it adds to it.
constexpr DWORD kLauncherEndMs = 60000;

// A handle value as the command line carries it; nothing for anything else.
HANDLE HandleArgument(const std::string& text) {
  uintptr_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || value > UINTPTR_MAX / 10 - 9) return nullptr;
    value = value * 10 + static_cast<uintptr_t>(c - '0');
  }
  return reinterpret_cast<HANDLE>(value);
}

// An inheritable copy of handle with the given rights, for the watch.
HANDLE Inheritable(HANDLE handle, DWORD access) {
  HANDLE copy = nullptr;
  return DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, access, TRUE, 0) ? copy : nullptr;
}

}  // namespace

void StartWatch(HANDLE program, const std::string& version) noexcept {
  try {
    const HANDLE child = Inheritable(program, SYNCHRONIZE | PROCESS_QUERY_INFORMATION);
    const HANDLE self = Inheritable(GetCurrentProcess(), SYNCHRONIZE);
    // Whoever waits for the launcher's output pipes must not wait for the
    // watch too: the standard handles stay with the launcher.
    for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
      SetHandleInformation(GetStdHandle(which), HANDLE_FLAG_INHERIT, 0);
    // The program's own name goes first, as the watch reads its arguments;
    // the system takes the file from the first parameter.
    std::string command = "Kolvex ";
    command += kWatchArgument;
    for (HANDLE handle : {child, self}) {
      command += ' ';
      command += FormatInteger(static_cast<int64_t>(reinterpret_cast<uintptr_t>(handle)));
    }
    command += " \"";
    command += version;
    command += '"';
    std::wstring wide = Widen(command);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_FORCEOFFFEEDBACK;  // no busy cursor for a process that never shows a window
    PROCESS_INFORMATION process{};
    if (child && self &&
        CreateProcessW(Widen(ModuleFileName()).c_str(), wide.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
    for (HANDLE handle : {child, self}) {
      if (handle) CloseHandle(handle);
    }
  } catch (...) {
    // The user's program runs; the watch is the administrator's.
  }
}

void RunWatch(const std::vector<std::string>& arguments) noexcept {
  if (arguments.size() != 5) return;
  const HANDLE program = HandleArgument(arguments[2]), launcher = HandleArgument(arguments[3]);
  DWORD code = 0;
  if (WaitForSingleObject(program, kWatchMs) != WAIT_OBJECT_0 || !GetExitCodeProcess(program, &code) ||
      !IsFailedStartCode(code))
    return;
  WaitForSingleObject(launcher, kLauncherEndMs);
  try {
    const Settings settings = ReadSettings(ExtractFileDir(ModuleFileName()));
    RecordFailedStart(settings.reportDir, arguments[4], ExitCodeText(code), settings.shareTimeBoxMs);
  } catch (...) {
    // Nobody to tell: the watch has no window.
  }
}

}  // namespace kolvex
