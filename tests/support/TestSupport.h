#pragma once
// What the Windows-side tests share: temporary directories, files, and
// running programs as separate processes. Paths are UTF-8.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/win32/Files.h"  // FileExists, ModuleFileName

namespace kolvex::test {

// Directory of the running test program; fixtures and Kolvex.exe lie there.
std::string BinDir();

// A fresh directory under %TEMP%, removed with everything in it at the end.
class TempDir {
 public:
  explicit TempDir(const std::string& hint = "kolvex");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

void RemoveTree(const std::string& path);
void MakeDir(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);  // throws when unreadable
bool DirExists(const std::string& path);
void CopyFileTo(const std::string& from, const std::string& to);
std::vector<std::string> ListDir(const std::string& dir);  // names, sorted, without . and ..

// The update log in dir ("" when there is none).
std::string ReadUpdateLog(const std::string& dir);
// The log's lines, each with its CR LF, without the "<date and time> - " the
// log begins them with (a line that does not begin so, with a digit, stays
// whole and shows).
std::vector<std::string> LogTails(const std::string& log);

SYSTEMTIME Local(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0, WORD ms = 0);
// Gives path a last-write time stated in local time, converted as the
// system converts it back (FileTimeToLocalFileTime).
void SetLocalWriteTime(const std::string& path, const SYSTEMTIME& local);

// Holds a file open without any sharing, from another process, until
// Release() or destruction: what a running program or a locking user does.
// The process runs bin/locker.exe, or a copy of it at program: then that
// file is a running program too.
class ForeignLock {
 public:
  explicit ForeignLock(const std::string& path, const std::string& program = "");
  ~ForeignLock();
  ForeignLock(const ForeignLock&) = delete;
  ForeignLock& operator=(const ForeignLock&) = delete;
  void Release();
  DWORD processId() const { return GetProcessId(process_); }

 private:
  HANDLE process_ = nullptr;
  HANDLE stdinWrite_ = nullptr;
};

struct ProcessResult {
  bool finished = false;  // false: killed after the time-out
  DWORD exitCode = 0;
};

// A started process; killed at destruction if it is still running.
class Process {
 public:
  // commandLine is passed to the system unchanged; the program is the path.
  // desktop: the window station and desktop to start in ("station\\Default"); empty: the caller's.
  Process(const std::string& program, const std::string& commandLine, const std::string& workDir = "",
          const std::string& desktop = "");
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  DWORD id() const { return id_; }
  ULONGLONG startedAt() const { return startedAt_; }  // creation time, as a FILETIME count
  HANDLE handle() const { return process_; }
  ProcessResult Wait(DWORD timeoutMs);

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
  ULONGLONG startedAt_ = 0;
};

// Ends every process started by process id (and by those, in turn): what a
// test started through the shell (a target, an explorer window) must not
// outlive the test. Process ids are reused once a process has ended, so
// only processes created at startedAt or later count: Wine's own services
// may name a long-gone parent whose id a test's process got again.
void KillDescendants(DWORD id, ULONGLONG startedAt);

// Starts, waits and kills on time-out.
ProcessResult RunProcess(const std::string& program, const std::string& commandLine, DWORD timeoutMs,
                         const std::string& workDir = "");

}  // namespace kolvex::test
