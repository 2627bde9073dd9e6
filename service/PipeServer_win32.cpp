#include "service/PipeServer_win32.h"

#include <sddl.h>

#include <system_error>
#include <thread>

#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "ipc/ServiceProtocol.h"
#include "service/Requests_win32.h"

namespace kolvex {

namespace {

// Nobody over the network; the system and administrators everything;
// interactive users (every desktop and remote desktop session) read, write,
// read attributes and synchronize: not FILE_CREATE_PIPE_INSTANCE (which is
// FILE_APPEND_DATA, part of the generic write), so no user can add an
// instance of their own for the next start to talk to.
constexpr wchar_t kPipeAccess[] = L"D:P(D;;GA;;;NU)(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100083;;;IU)";
constexpr DWORD kOutBuffer = 64 * 1024;
constexpr DWORD kInBuffer = 4 * 1024;
constexpr DWORD kIdleCheckMs = 1000;

UniqueFile NewInstance(bool first) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPipeAccess, SDDL_REVISION_1, &descriptor, nullptr))
    return UniqueFile();
  const UniqueLocal owned(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  return UniqueFile(CreateNamedPipeW(Widen(kServicePipe).c_str(),
                                     PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED |
                                         (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
                                     PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                     PIPE_UNLIMITED_INSTANCES, kOutBuffer, kInBuffer, 0, &attributes));
}

// Waits for a client on the listening instance: true when one came, false
// when stop was set or the service was idle long enough.
bool AwaitClient(HANDLE instance, HANDLE stop, DWORD idleMs, RequestBoard& board) {
  const UniqueKernelHandle connected(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED overlapped{};
  overlapped.hEvent = connected.get();
  if (ConnectNamedPipe(instance, &overlapped) || GetLastError() == ERROR_PIPE_CONNECTED) return true;
  if (GetLastError() != ERROR_IO_PENDING) return false;
  ULONGLONG busyLast = GetTickCount64();
  const HANDLE events[] = {connected.get(), stop};
  while (true) {
    const DWORD woken = WaitForMultipleObjects(2, events, FALSE, kIdleCheckMs);
    if (woken == WAIT_OBJECT_0) {
      DWORD ignored = 0;
      return GetOverlappedResult(instance, &overlapped, &ignored, FALSE) || GetLastError() == ERROR_PIPE_CONNECTED;
    }
    if (!board.Idle()) busyLast = GetTickCount64();
    if (woken != WAIT_TIMEOUT || GetTickCount64() - busyLast >= idleMs) {
      CancelIoEx(instance, &overlapped);
      DWORD ignored = 0;
      GetOverlappedResult(instance, &overlapped, &ignored, TRUE);
      return false;
    }
  }
}

}  // namespace

bool ServePipe(HANDLE stop, DWORD idleMs, RequestBoard& board) {
  UniqueFile listening = NewInstance(true);
  if (!listening) return false;
  while (AwaitClient(listening.get(), stop, idleMs, board)) {
    // The next instance is made before this one is handed over: the name
    // is never without one of the service's own.
    UniqueFile next = NewInstance(false);
    if (!next) {
      DisconnectNamedPipe(listening.get());
      continue;
    }
    try {
      std::thread(ServeConnection, std::exchange(listening, std::move(next)), std::ref(board)).detach();
    } catch (const std::system_error&) {
      // No thread for it: the connection the thread would have served is
      // closed, and the start asking falls back as for a silent service.
    }
  }
  return true;
}

}  // namespace kolvex
