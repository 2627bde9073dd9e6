#include "service/Requests_win32.h"

#include <system_error>
#include <thread>

#include "common/ScopeExit.h"
#include "common/win32/Utf.h"
#include "ipc/PipeEnd_win32.h"
#include "update/ServiceWayPaths_win32.h"
#include "update/Settings_win32.h"
#include "service/FolderSafety_win32.h"
#include "ipc/Registrations_win32.h"
#include "service/ShareView_win32.h"
#include "service/UpdateJob_win32.h"
#include "service/UpdateRules.h"

namespace kolvex {

namespace {

// A start sends its request as soon as it is connected.
constexpr DWORD kRequestMs = 2000;
// A start reads the replies as they come; the service writes one at least
// every so often while it works (a quarter of the shortest time-box a start
// waits between two), so that the start can tell it from a service that
// hangs, or waits for a share that stopped answering.
constexpr DWORD kReplyMs = 5000;
constexpr auto kKeepAlive = std::chrono::milliseconds(250);
// What a start is told when the service cannot take up the work.
constexpr std::string_view kNoThread = "usługa aktualizacji nie może teraz rozpocząć pracy";
// After the last reply the start closes its end at once.
constexpr DWORD kCloseMs = 1000;

// The session of the process at the other end (0 when the system cannot tell).
std::uint32_t ClientSession(HANDLE pipe) {
  ULONG session = 0;
  return GetNamedPipeClientSessionId(pipe, &session) ? session : 0;
}

std::string ReceiveFailure(PipeEnd::Received received) {
  switch (received) {
    case PipeEnd::Received::TooLong:
      return "żądanie jest dłuższe, niż usługa przyjmuje";
    case PipeEnd::Received::NotInTime:
      return "żądanie nie nadeszło w całości w ciągu " + std::to_string(kRequestMs / 1000) + " s";
    default:
      return "połączenie zamknięto przed końcem żądania";
  }
}

// What the service sees of the installation's share, after the same checks
// of its folders, its baza.set and the program kolvexadm names (if any) as
// before an update.
ServiceReply ShareViewFor(const ServiceRequest& request, const std::string& path) {
  if (std::optional<std::string> refusal = FolderRefusal(path, request.folder)) return RefusedReply{*refusal};
  if (std::optional<std::string> refusal = SettingsFileRefusal(path)) return RefusedReply{*refusal};
  const std::optional<Settings> read = ReadSettingsWithin(path);
  if (!read) return RefusedReply{SettingsNotInTime()};
  const Settings& settings = *read;
  if (std::optional<std::string> fault = ServiceWayPathsRefusal(settings)) return RefusedReply{*fault};
  std::vector<std::string> folders;
  for (const Component& component : settings.components.components) {
    for (std::string& folder : FoldersOnTheWay(component.name)) folders.push_back(std::move(folder));
  }
  if (std::optional<std::string> refusal = SubFolderRefusal(path, folders)) return RefusedReply{*refusal};
  if (!request.programName.empty()) {
    if (std::optional<std::string> refusal = ProgramRefusal(path, request.programName, settings))
      return RefusedReply{*refusal};
  }
  ShareViewReply view = LookAtShare(settings);
  if (!view.readable) return view;
  if (std::optional<std::string> refusal = ShareRefusal(settings, request.programName)) return RefusedReply{*refusal};
  return view;
}

// The replies as they come, and something at least every kKeepAlive while
// none comes, until the last one or the request's time is up.
void Stream(PipeEnd& connection, SharedReplies& replies) {
  // The worker ends by then (kWorkMost); this is for one that cannot.
  const auto until = std::chrono::steady_clock::now() + kWorkMost + std::chrono::seconds(10);
  const std::string keepAlive = EncodeReply(ProgressReply{});
  for (size_t next = 0;;) {
    const SharedReplies::Awaited awaited = replies.Next(next, kKeepAlive);
    if (awaited.kind == SharedReplies::Awaited::Kind::End) break;
    if (std::chrono::steady_clock::now() >= until) {
      connection.Send(EncodeReply(RefusedReply{WorkTimeUp()}), kReplyMs);
      return;
    }
    if (awaited.kind == SharedReplies::Awaited::Kind::Stalled) continue;
    const bool reply = awaited.kind == SharedReplies::Awaited::Kind::Reply;
    if (!connection.Send(reply ? awaited.reply : keepAlive, kReplyMs)) return;
    next += reply ? 1 : 0;
  }
  // The start closes its end once it has read the last reply; this end
  // waits for that, so that nothing of it is lost when this end goes.
  FrameReader nothingMore(0);
  std::string ignored;
  connection.Receive(nothingMore, kCloseMs, ignored);
}

// The request of one connection, admitted for its session.
void Serve(UniqueFile pipe, RequestBoard& board) {
  PipeEnd connection(std::move(pipe));
  const auto refuse = [&connection](std::string reason) {
    auto replies = std::make_shared<SharedReplies>();
    replies->Add(EncodeReply(RefusedReply{std::move(reason)}), true);
    Stream(connection, *replies);
  };
  const std::uint32_t session = ClientSession(connection.Handle());
  const std::string tooMany =
      "z tej sesji otwarto już " + std::to_string(kMostConnectionsPerSession) + " połączeń z usługą aktualizacji";
  if (!board.Admit(session)) return refuse(tooMany);
  const ScopeExit leave([&board, session] { board.Leave(session); });
  FrameReader frames(kMostRequestBytes);
  std::string bytes;
  if (const auto received = connection.Receive(frames, kRequestMs, bytes); received != PipeEnd::Received::Message)
    return refuse(ReceiveFailure(received));
  const std::optional<ServiceRequest> request = ParseRequest(bytes);
  if (!request) return refuse("nieprawidłowe żądanie");
  std::optional<std::string> path = RegisteredPath(request->folder);
  if (!path) {
    return refuse("ta instalacja nie jest zarejestrowana w usłudze aktualizacji "
                  "(kolvexadm usluga zainstaluj KATALOG)");
  }
  // The work goes on on a thread of its own, so that the connection can
  // tell the start it goes on, and a start that stops reading holds up no
  // one. The worker counts for the session until it ends: a start that
  // asks and goes away leaves its work counted.
  const bool placed = board.Admit(session);
  ScopeExit unplaced([&board, session, placed] {
    if (placed) board.Leave(session);
  });
  std::shared_ptr<SharedReplies> replies;
  if (request->kind == RequestKind::Update) {
    // A name the service would never update costs it no thread and no file.
    Settings settings;
    if (std::optional<std::string> refusal = UpdateRefusal(*path, request->folder, request->programName, settings))
      return refuse(std::move(*refusal));
    const UpdateKey key{request->folder, UpperCase(request->programName)};
    bool started = false;
    replies = board.Join(key, started);
    if (started) {
      // A worker that cannot be had ends the update at once, for every start that joined it.
      ScopeExit unstarted([&] {
        board.Finished(key);
        replies->Add(EncodeReply(RefusedReply{placed ? std::string(kNoThread) : tooMany}), true);
      });
      if (placed) try {
          std::thread([key, request = *request, path = *path, session, &board, replies] {
            RunUpdate(key, request, path, session, board, replies);
          }).detach();
          unplaced.Dismiss();
          unstarted.Dismiss();
        } catch (const std::system_error&) {
        }
    }
  } else {
    if (!placed) return refuse(tooMany);
    replies = std::make_shared<SharedReplies>();
    try {
      std::thread([replies, request = *request, path = *path, session, &board] {
        const ScopeExit leave([&board, session] { board.Leave(session); });
        try {
          replies->Add(EncodeReply(ShareViewFor(request, path)), true);
        } catch (...) {
          replies->End();
        }
      }).detach();
    } catch (const std::system_error&) {
      return refuse(std::string(kNoThread));
    }
    unplaced.Dismiss();
  }
  Stream(connection, *replies);
}

}  // namespace

void ServeConnection(UniqueFile pipe, RequestBoard& board) noexcept {
  try {
    Serve(std::move(pipe), board);
  } catch (...) {
    // No thread or no memory for this request: its connection closes, and
    // its start falls back as for a silent service. The service goes on.
  }
}

}  // namespace kolvex
