#include "service/PipeServer_win32.h"

#include <sddl.h>

#include <new>
#include <system_error>
#include <thread>

#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "ipc/Registrations_win32.h"
#include "ipc/ServiceProtocol.h"
#include "service/Requests_win32.h"
#include "ipc/ServiceAccess.h"

namespace kolvex {

namespace {

constexpr DWORD kOutBuffer = 64 * 1024;
constexpr DWORD kInBuffer = 4 * 1024;
constexpr DWORD kIdleCheckMs = 1000;
constexpr DWORD kFailedInstancePauseMs = 50;

UniqueFile NewInstance(bool first) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(Widen(PipeAccessText()).c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr))
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
  // A client that came and went before the wait began (ERROR_NO_DATA), or
  // any other failure of the instance, is handed over as a connection all
  // the same (it ends at once, and a new instance takes its place): no
  // client ends the service.
  if (ConnectNamedPipe(instance, &overlapped) || GetLastError() == ERROR_PIPE_CONNECTED) return true;
  if (GetLastError() != ERROR_IO_PENDING) {
    Sleep(kFailedInstancePauseMs);
    return true;
  }
  ULONGLONG busyLast = GetTickCount64();
  const HANDLE events[] = {connected.get(), stop};
  while (true) {
    const DWORD woken = WaitForMultipleObjects(2, events, FALSE, kIdleCheckMs);
    if (woken == WAIT_OBJECT_0) return true;  // connected, or failed: see above
    if (!board.Idle()) busyLast = GetTickCount64();
    // While an installation is registered the name stays the service's:
    // no user can take it before the next start asks.
    if (woken == WAIT_TIMEOUT && GetTickCount64() - busyLast >= idleMs && !Registrations().empty())
      busyLast = GetTickCount64();
    if (woken != WAIT_TIMEOUT || GetTickCount64() - busyLast >= idleMs) {
      CancelIoEx(instance, &overlapped);
      DWORD ignored = 0;
      GetOverlappedResult(instance, &overlapped, &ignored, TRUE);
      return false;
    }
  }
}

}  // namespace

UniqueFile FirstPipeInstance() { return NewInstance(true); }

std::string PipeHolder() {
  const std::wstring name = Widen(kServicePipe);
  WaitNamedPipeW(name.c_str(), kIdleCheckMs);
  // Identification only, and nothing sent: the holder learns nothing it could use.
  const UniqueFile pipe(CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                    SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
  ULONG id = 0;
  if (!pipe || !GetNamedPipeServerProcessId(pipe.get(), &id))
    return "nie można ustalić, który proces go utworzył (kod błędu " + std::to_string(GetLastError()) + ")";
  std::string text = "utworzył go proces o identyfikatorze " + std::to_string(id);
  const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  HANDLE token = nullptr;
  if (!process || !OpenProcessToken(process.get(), TOKEN_QUERY, &token)) return text;
  const UniqueKernelHandle ownedToken(token);
  alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenUser, user, sizeof user, &size)) return text;
  const PSID sid = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;
  wchar_t account[256], domain[256];
  DWORD accountSize = 256, domainSize = 256;
  SID_NAME_USE use{};
  if (LookupAccountSidW(nullptr, sid, account, &accountSize, domain, &domainSize, &use))
    return text + ", konto " + Narrow(domain) + "\\" + Narrow(account);
  wchar_t* sidText = nullptr;
  if (!ConvertSidToStringSidW(sid, &sidText)) return text;
  const UniqueLocal ownedSid(sidText);
  return text + ", konto " + Narrow(sidText);
}

void ServePipe(UniqueFile listening, HANDLE stop, DWORD idleMs, RequestBoard& board) {
  while (AwaitClient(listening.get(), stop, idleMs, board)) try {
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
    } catch (const std::bad_alloc&) {
      DisconnectNamedPipe(listening.get());  // no memory for this one: the next may find some
    }
}

}  // namespace kolvex
