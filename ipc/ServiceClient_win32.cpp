#include "ipc/ServiceClient_win32.h"

#include <windows.h>

#include "common/win32/SystemText.h"
#include "common/win32/FileIO.h"
#include "common/win32/Handles.h"
#include "common/win32/Library.h"
#include "common/win32/Utf.h"
#include "ipc/PipeEnd_win32.h"
#include "ipc/ServiceAccess.h"

namespace kolvex {

namespace {

using UniqueService = UniqueHandle<SC_HANDLE, &CloseServiceHandle>;

constexpr DWORD kPollMs = 20;
// The rights the pipe gives its users, and no more: asking for the generic
// ones would ask for the right to make instances too, and be refused.
constexpr DWORD kPipeRights = kPipeUserRights;

// A time limit counted from its making; right across the tick counter's wrap.
class Deadline {
 public:
  explicit Deadline(DWORD ms) : start_(GetTickCount()), ms_(ms) {}
  DWORD Left() const {
    const DWORD passed = GetTickCount() - start_;
    return passed >= ms_ ? 0 : ms_ - passed;
  }

 private:
  DWORD start_, ms_;
};

std::string SystemText(DWORD error) { return GetErrorReason(static_cast<int32_t>(error)); }

// Why a service started a moment ago has stopped again.
std::string WhyStopped(const SERVICE_STATUS_PROCESS& status) {
  if (status.dwWin32ExitCode == ERROR_SERVICE_SPECIFIC_ERROR && status.dwServiceSpecificExitCode == kPipeTakenExitCode)
    return std::string(kPipeTaken);
  return status.dwWin32ExitCode == NO_ERROR ? std::string(kServiceSilent) : SystemText(status.dwWin32ExitCode);
}

// The process id of the running service, started when it is stopped;
// nothing, with why in failure, when it does not run within the deadline.
std::optional<DWORD> RunningService(const Deadline& deadline, std::string& failure) {
  const UniqueService manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  const UniqueService service(
      manager ? OpenServiceW(manager.get(), Widen(kServiceName).c_str(), SERVICE_START | SERVICE_QUERY_STATUS)
              : nullptr);
  if (!service) {
    failure = SystemText(GetLastError());
    return std::nullopt;
  }
  for (bool started = false;;) {
    SERVICE_STATUS_PROCESS status{};
    DWORD size = 0;
    if (!QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                              &size)) {
      failure = SystemText(GetLastError());
      return std::nullopt;
    }
    if (status.dwCurrentState == SERVICE_RUNNING) return status.dwProcessId;
    if (status.dwCurrentState == SERVICE_STOPPED && started) {
      failure = WhyStopped(status);
      return std::nullopt;
    }
    // A service that is ending itself as idle is started again once it has ended.
    if (status.dwCurrentState == SERVICE_STOPPED) {
      if (!StartServiceW(service.get(), 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        failure = SystemText(GetLastError());
        return std::nullopt;
      }
      started = true;
      continue;
    }
    if (deadline.Left() == 0) {
      failure = kServiceSilent;
      return std::nullopt;
    }
    Sleep(kPollMs);
  }
}

// The service's pipe, as soon as it is there within the deadline; the
// service started first, and again while the pipe is not there, as a
// service ending itself as idle may have gone in between.
UniqueFile ConnectToPipe(const Deadline& deadline, std::string& failure) {
  const std::wstring name = Widen(kServicePipe);
  while (true) {
    if (!RunningService(deadline, failure)) return UniqueFile();
    // Identification only: the service may learn who asks, but never act as them.
    UniqueFile pipe = OpenPipeIdentifyingOnly(name, kPipeRights);
    if (pipe) return pipe;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PIPE_BUSY) {
      failure = SystemText(error);
      return pipe;
    }
    if (deadline.Left() == 0) {
      failure = kServiceSilent;
      return pipe;
    }
    // A service just started makes its pipe a moment after it runs; a busy
    // one makes the next instance as soon as it hands this one over.
    if (error == ERROR_PIPE_BUSY) {
      WaitNamedPipeW(name.c_str(), std::min(deadline.Left(), DWORD{100}));
    } else {
      Sleep(kPollMs);
    }
  }
}

// The process at the server's end of the pipe; nothing where the system
// cannot tell (before Vista, which the service needs anyway).
std::optional<ULONG> ServerProcess(HANDLE pipe) {
  const auto serverProcessId = ProcAddress<BOOL(WINAPI*)(HANDLE, PULONG)>(GetModuleHandleW(L"kernel32"),
                                                                          "GetNamedPipeServerProcessId");
  ULONG id = 0;
  if (!serverProcessId || !serverProcessId(pipe, &id)) return std::nullopt;
  return id;
}

}  // namespace

std::optional<std::string> AskService(const ServiceRequest& request, std::uint32_t limitMs,
                                      const std::function<void(const ServiceReply&)>& onReply) {
  const Deadline deadline(limitMs);
  std::string failure;
  UniqueFile pipe = ConnectToPipe(deadline, failure);
  if (!pipe) return failure;
  // Only the service's own pipe is talked to: a program that made a pipe of
  // that name before the service did is not the service. The service is
  // asked after the connection is made, so that a process id the system gave
  // again to another program after the service's process ended is not taken
  // for the service's (a running process keeps its id).
  const std::optional<ULONG> server = ServerProcess(pipe.get());
  std::string ignored;
  if (!server || RunningService(deadline, ignored) != *server) return std::string(kPipeTaken);
  // The start's "Aktualizacja" window answers while the service works.
  PipeEnd end(std::move(pipe), true);
  if (!end.Send(EncodeRequest(request), std::max(deadline.Left(), DWORD{1}))) return std::string(kServiceSilent);
  FrameReader frames(kMostReplyBytes);
  while (true) {
    std::string message;
    switch (end.Receive(frames, limitMs, message)) {
      case PipeEnd::Received::Message:
        break;
      case PipeEnd::Received::NotInTime:
        return std::string(kServiceSilent);
      case PipeEnd::Received::Closed:
        return "usługa aktualizacji zakończyła połączenie przed odpowiedzią";
      default:
        return "odpowiedzi usługi aktualizacji nie można odczytać";
    }
    const std::optional<ServiceReply> reply = ParseReply(message);
    if (!reply) return "odpowiedzi usługi aktualizacji nie można odczytać";
    onReply(*reply);
    if (IsLastReply(*reply)) return std::nullopt;
  }
}

}  // namespace kolvex
