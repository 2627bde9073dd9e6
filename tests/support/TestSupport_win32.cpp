#include "support/TestSupport.h"

#include <tlhelp32.h>

#include <algorithm>
#include <stdexcept>

#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"

namespace kolvex::test {

namespace {

// Creation time of a process as a FILETIME count; 0 when it cannot be read.
ULONGLONG CreationTime(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return ULARGE_INTEGER{{created.dwLowDateTime, created.dwHighDateTime}}.QuadPart;
}

bool StartedSince(DWORD id, ULONGLONG startedAt) {
  UniqueKernelHandle p(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  return p && CreationTime(p.get()) >= startedAt;
}

}  // namespace

std::string BinDir() {
  const std::string self = ModuleFileName();
  return self.substr(0, self.find_last_of('\\'));
}

TempDir::TempDir(const std::string& hint) {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  const std::string base = Narrow(temp);
  static unsigned counter = 0;
  for (;;) {
    const std::string candidate = base + hint + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
    if (CreateDirectoryW(Widen(candidate).c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + candidate);
  }
}

TempDir::~TempDir() { RemoveTree(path_); }

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAW found;
  UniqueFind find(FindFirstFileW(Widen(path + "\\*").c_str(), &found));
  if (find) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::string child = path + "\\" + Narrow(name);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(Widen(child).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Widen(child).c_str());
      }
    } while (FindNextFileW(find.get(), &found));
  }
  find.reset();
  RemoveDirectoryW(Widen(path).c_str());
}

void MakeDir(const std::string& path) {
  if (!CreateDirectoryW(Widen(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    throw std::runtime_error("cannot create directory " + path);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  UniqueFile f(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr));
  if (!f) throw std::runtime_error("cannot create " + path);
  DWORD written = 0;
  if (!bytes.empty() && !WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    throw std::runtime_error("cannot write " + path);
}

std::string ReadFileBytes(const std::string& path) {
  UniqueFile f(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) throw std::runtime_error("cannot open " + path);
  LARGE_INTEGER size{};
  GetFileSizeEx(f.get(), &size);
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() && !ReadFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    throw std::runtime_error("cannot read " + path);
  bytes.resize(read);
  return bytes;
}

bool DirExists(const std::string& path) {
  const DWORD a = GetFileAttributesW(Widen(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void CopyFileTo(const std::string& from, const std::string& to) {
  if (!CopyFileW(Widen(from).c_str(), Widen(to).c_str(), FALSE))
    throw std::runtime_error("cannot copy " + from + " to " + to);
}

std::vector<std::string> ListDir(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  UniqueFind find(FindFirstFileW(Widen(dir + "\\*").c_str(), &found));
  if (!find) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(Narrow(name));
  } while (FindNextFileW(find.get(), &found));
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadUpdateLog(const std::string& dir) {
  const std::string path = dir + "\\_updatefiles.LOG";
  return FileExists(path) ? ReadFileBytes(path) : std::string();
}

std::vector<std::string> LogTails(const std::string& log) {
  std::vector<std::string> tails;
  for (size_t begin = 0; begin < log.size();) {
    const size_t end = log.find("\r\n", begin);
    const size_t next = end == std::string::npos ? log.size() : end + 2;
    std::string line = log.substr(begin, next - begin);
    const size_t dash = line.find(" - ");
    if (dash != std::string::npos && line[0] >= '0' && line[0] <= '9') line.erase(0, dash + 3);
    tails.push_back(std::move(line));
    begin = next;
  }
  return tails;
}

SYSTEMTIME Local(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms) {
  SYSTEMTIME st{};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  st.wMilliseconds = ms;
  return st;
}

void SetLocalWriteTime(const std::string& path, const SYSTEMTIME& local) {
  FILETIME localTime;
  FILETIME utc;
  const UniqueFile f(CreateFileW(Widen(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!SystemTimeToFileTime(&local, &localTime) || !LocalFileTimeToFileTime(&localTime, &utc) || !f ||
      !SetFileTime(f.get(), nullptr, nullptr, &utc))
    throw std::runtime_error("cannot set the time of " + path);
}

// The locking process is this test program itself, started with a switch
// that gtest_main never sees: see LockerMain below.
ForeignLock::ForeignLock(const std::string& path, const std::string& program) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, readyRead = nullptr, readyWrite = nullptr;
  if (!CreatePipe(&readEnd, &stdinWrite_, &inherit, 0) || !CreatePipe(&readyRead, &readyWrite, &inherit, 0))
    throw std::runtime_error("cannot create pipes");
  SetHandleInformation(stdinWrite_, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(readyRead, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = readEnd;
  si.hStdOutput = readyWrite;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  const std::string locker = program.empty() ? BinDir() + "\\locker.exe" : program;
  std::wstring cmd = L"\"" + Widen(locker) + L"\" \"" + Widen(path) + L"\"";
  PROCESS_INFORMATION pi{};
  const BOOL ok = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(readEnd);
  CloseHandle(readyWrite);
  if (!ok) {
    CloseHandle(readyRead);
    throw std::runtime_error("cannot start the locker");
  }
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  char answer = 0;
  DWORD got = 0;
  ReadFile(readyRead, &answer, 1, &got, nullptr);  // "1" once the file is held, "0" on failure
  CloseHandle(readyRead);
  if (got != 1 || answer != '1') {
    Release();
    throw std::runtime_error("locker.exe could not open " + path);
  }
}

ForeignLock::~ForeignLock() { Release(); }

void ForeignLock::Release() {
  if (stdinWrite_) {
    CloseHandle(stdinWrite_);  // the locker exits when its input ends
    stdinWrite_ = nullptr;
  }
  if (process_) {
    if (WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
    CloseHandle(process_);
    process_ = nullptr;
  }
}

Process::Process(const std::string& program, const std::string& commandLine, const std::string& workDir,
                 const std::string& desktop) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring wideDesktop = Widen(desktop);
  if (!desktop.empty()) si.lpDesktop = wideDesktop.data();
  PROCESS_INFORMATION pi{};
  std::wstring cmd = Widen(commandLine);
  const std::wstring dir = Widen(workDir);
  if (!CreateProcessW(Widen(program).c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workDir.empty() ? nullptr : dir.c_str(), &si, &pi))
    throw std::runtime_error("cannot start " + program);
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  id_ = pi.dwProcessId;
  startedAt_ = CreationTime(process_);
}

Process::~Process() {
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 255);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

ProcessResult Process::Wait(DWORD timeoutMs) {
  ProcessResult r;
  r.finished = WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
  if (r.finished) GetExitCodeProcess(process_, &r.exitCode);
  return r;
}

void KillDescendants(DWORD id, ULONGLONG startedAt) {
  std::vector<DWORD> found{id};
  for (size_t i = 0; i < found.size(); ++i) {
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
      if (entry.th32ParentProcessID == found[i] && entry.th32ProcessID != found[i] &&
          std::find(found.begin(), found.end(), entry.th32ProcessID) == found.end() &&
          StartedSince(entry.th32ProcessID, startedAt))
        found.push_back(entry.th32ProcessID);
    }
  }
  for (size_t i = 1; i < found.size(); ++i) {
    UniqueKernelHandle p(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, found[i]));
    if (p && WaitForSingleObject(p.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(p.get(), 255);
      WaitForSingleObject(p.get(), 5000);
    }
  }
}

ProcessResult RunProcess(const std::string& program, const std::string& commandLine, DWORD timeoutMs,
                         const std::string& workDir) {
  Process p(program, commandLine, workDir);
  return p.Wait(timeoutMs);
}

}  // namespace kolvex::test
