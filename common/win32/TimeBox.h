#pragma once
// Waiting for the system where it may wait as long as the network lets it:
// the first touch of a shared directory whose server does not answer, an
// update or a report whose server stops answering half-way. The look-ups
// are made on threads of their own, so that their caller can stop waiting.
#include <windows.h>

#include <exception>
#include <string>

#include "common/ScopeExit.h"
#include "common/win32/Lock.h"

namespace kolvex {

// Asks the system for path's attributes (GetFileAttributesW) and waits at
// most limitMs (INFINITE: as long as it takes) for the answer. True when it
// came in time: attributes then holds it, and error the system's error code
// when it is INVALID_FILE_ATTRIBUTES. False when it did not: the worker's
// look-up is cancelled (CancelWaitingIo) and the thread left to end when it
// returns; it frees what it shares with the caller itself. Where no thread can be made, the system
// is asked here, whatever it takes. The worker touches no function-local
// static (Kolvex.exe initialises those without locks). lookUp is the
// system's call but where a test stands in one that waits as a dead server does.
using AttributesLookUp = DWORD(WINAPI*)(LPCWSTR path);
bool FileAttributesWithin(const std::wstring& path, DWORD limitMs, DWORD& attributes, DWORD& error,
                          AttributesLookUp lookUp = &GetFileAttributesW);

// Cancels the synchronous request thread waits in (CancelSynchronousIo,
// from Vista on, looked up at run time; nothing on XP): a look-up stuck on a
// server that does not answer returns at once with ERROR_OPERATION_ABORTED,
// and the process can end without waiting for the network's time-outs.
void CancelWaitingIo(HANDLE thread) noexcept;

// The requests to a server of one piece of work that RunBounded runs, seen
// from the work's thread and from the thread that waits for it.
class RequestWatch {
 public:
  explicit RequestWatch(DWORD limitMs) noexcept : limitMs_(limitMs) {}

  // Runs request on the work's thread as one request to the server. Once
  // the work has been given up on, a request that returns ends the thread
  // there: nothing after it is done, and its result is never handed back.
  // So a request hands its result back as its return value only, and
  // touches nothing of the waiting thread's.
  template <typename Request>
  auto Ask(Request request) {
    Begin();
    const ScopeExit end([this] { End(); });
    return request();
  }
  // A sign of life from the request under way (a copy that moves on): its
  // time starts again. Ends the thread when the work has been given up on.
  void Alive() noexcept;
  // The request under way has had all it asked of the server: the rest of
  // it (the flush of a copy) is this computer's work and is not timed.
  void Answered() noexcept;
  // Alive (more) or Answered (!more), unless the work has been given up on:
  // then false, and the thread goes on, so that the request can close what
  // it opened (a copy its half-written file) before it returns.
  bool Progress(bool more) noexcept;

  // How long the request under way has gone without a sign of life (0 when
  // none is under way, or it has had its answer).
  DWORD Silence() noexcept;

  // On the waiting thread: true when a request has lasted longer than the
  // limit, or now is set; the work is given up on from then on.
  bool GiveUpIfOverdue(bool now = false) noexcept;

 private:
  void Begin() noexcept;
  void End() noexcept;
  // With the lock held: leaves it, and ends the thread, when given up on.
  void EndThreadIfGivenUp() noexcept;

  CriticalSection lock_;
  const DWORD limitMs_;
  int depth_ = 0;     // requests under way, one inside another
  DWORD since_ = 0;   // the tick of the outermost request's start or last sign of life
  bool answered_ = false;
  bool givenUp_ = false;
};

// Work that asks a server which may stop answering, for RunBounded.
class BoundedWork {
 public:
  explicit BoundedWork(DWORD limitMs) noexcept : watch_(limitMs) {}
  virtual ~BoundedWork() = default;
  BoundedWork(const BoundedWork&) = delete;
  BoundedWork& operator=(const BoundedWork&) = delete;

  // On the work's thread: the work, each request to the server made with
  // watch.Ask. It writes only its own members, which RunBounded's caller
  // reads once it has come to its end.
  virtual void Run(RequestWatch& watch) = 0;
  // On the waiting thread, every few tens of milliseconds.
  virtual void WhileWaiting() {}
  // On the waiting thread: whether the work has had all the time it may
  // have, whatever its requests (given up on as a request that lasts too long).
  virtual bool Expired() { return false; }

 protected:
  // On the waiting thread: RequestWatch::Silence of the work's request.
  DWORD RequestSilence() noexcept { return watch_.Silence(); }

 private:
  friend bool RunBounded(BoundedWork& work);
  friend DWORD WINAPI RunWork(void* work);
  void RunHere() noexcept;

  RequestWatch watch_;
  std::exception_ptr failure_;
};

// Runs work on a thread of its own and waits for it while handling this
// thread's messages (the progress window stays answering) and calling its
// WhileWaiting. True when the work came to its end; what it raised is
// raised here. False when one of its requests lasted longer than the limit
// (INFINITE: never): the work is given up on, its request cancelled
// (CancelWaitingIo), and its thread ends when the request returns. The work
// then belongs to that thread for good: its caller leaves it allocated and
// never touches it again. Where no thread can be made, it runs here,
// unbounded.
bool RunBounded(BoundedWork& work);

}  // namespace kolvex
