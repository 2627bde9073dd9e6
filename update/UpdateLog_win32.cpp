#include <windows.h>

#include "common/Exceptions.h"
#include "common/win32/DateTime.h"
#include "common/win32/FileIO.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"
#include "files/FileRetry_win32.h"
#include "update/UpdateLog_win32.h"

namespace kolvex {

namespace {

// The runtime's file errors: what could not be done, the file, the system's reason.
[[noreturn]] void RaiseFileError(const char* what, const std::string& path, DWORD error) {
  throw EInOutError(std::string(what) + " \"" + path + "\". " + GetErrorReason(static_cast<int32_t>(error)),
                    static_cast<int>(error));
}

// Appends line to the log of UpdateLogPath, as WriteUpdateLog says.
void AppendToUpdateLog(const std::string& fileName, const std::string& exeDir, const std::string& line,
                       bool besideReaders) {
  const std::string path = UpdateLogPath(fileName, exeDir, ModuleFileName());
  const bool existed = FileExists(path);
  // The log as it stands, or a new one; never truncated, and nobody else's
  // while the line is written. A program that has the log open for a moment
  // (an editor saving it, a backup tool) is waited for.
  const std::wstring widePath = Widen(LongPathForm(path));
  UniqueFile log;
  const DWORD openError = RetryWhileHeld([&] {
    log = besideReaders ? OpenOrCreateBesideReaders(widePath, GENERIC_READ | GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL)
                        : OpenOrCreateAlone(widePath, GENERIC_READ | GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL);
    return log ? ERROR_SUCCESS : GetLastError();
  });
  if (openError != ERROR_SUCCESS)
    RaiseFileError(existed ? "Nie można otworzyć pliku" : "Nie można utworzyć pliku", path, openError);

  if (line.empty()) return;
  const std::string bytes = ToAnsi(line);
  DWORD written = 0;
  const bool ok = SetFilePointerEx(log.get(), LARGE_INTEGER{}, nullptr, FILE_END) &&
                  WriteFile(log.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  const DWORD error = GetLastError();
  if (!ok || written != bytes.size()) RaiseFileError("Nie można zapisać pliku", path, ok ? ERROR_DISK_FULL : error);
}

}  // namespace

void WriteUpdateLog(const std::string& fileName, uint8_t compareMode, const ComponentUpdate& update,
                    const std::string& exeDir, bool besideReaders) {
  AppendToUpdateLog(fileName, exeDir, UpdateLogLine(compareMode, update, Now(), UserDateTimeFormats()), besideReaders);
}

void WriteWaitingLog(const std::string& fileName, const ComponentUpdate& update, const std::string& exeDir,
                     bool besideReaders) {
  AppendToUpdateLog(fileName, exeDir, UpdateLogWaitingLine(update, Now(), UserDateTimeFormats()), besideReaders);
}

}  // namespace kolvex
