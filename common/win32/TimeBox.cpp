#include "common/win32/TimeBox.h"

#include <cstring>
#include <exception>
#include <new>

#include "common/win32/Handles.h"
#include "common/win32/Library.h"
#include "common/win32/Window.h"

namespace kolvex {

namespace {

// The worker calls the system and little else.
constexpr SIZE_T kWorkerStackBytes = 64 * 1024;

// Shared by the caller and the worker, and freed by whichever of them is
// done with it last: the caller when the answer came, the worker when the
// caller stopped waiting.
struct Look {
  LONG volatile owners;
  AttributesLookUp lookUp;
  DWORD attributes;
  DWORD error;
  wchar_t path[1];  // as long as the path and its terminating zero
};

void Release(Look* look) {
  if (InterlockedDecrement(&look->owners) == 0) LocalFree(look);
}

DWORD WINAPI LookUp(void* shared) {
  Look* look = static_cast<Look*>(shared);
  look->attributes = look->lookUp(look->path);
  look->error = GetLastError();
  Release(look);
  return 0;
}

// How often the waiting thread looks at the work's requests between its messages.
constexpr DWORD kWatchPauseMs = 50;

}  // namespace

void CancelWaitingIo(HANDLE thread) noexcept {
  using Cancel = BOOL(WINAPI*)(HANDLE);
  if (const auto cancel = ProcAddress<Cancel>(GetModuleHandleW(L"kernel32.dll"), "CancelSynchronousIo"))
    cancel(thread);
}

void RequestWatch::Begin() noexcept {
  lock_.Enter();
  EndThreadIfGivenUp();  // work given up on between its requests asks nothing more
  if (depth_++ == 0) {
    since_ = GetTickCount();
    answered_ = false;
  }
  lock_.Leave();
}

void RequestWatch::End() noexcept {
  lock_.Enter();
  --depth_;
  EndThreadIfGivenUp();
  lock_.Leave();
}

void RequestWatch::Alive() noexcept {
  lock_.Enter();
  since_ = GetTickCount();
  EndThreadIfGivenUp();
  lock_.Leave();
}

void RequestWatch::Answered() noexcept {
  lock_.Enter();
  answered_ = true;
  EndThreadIfGivenUp();
  lock_.Leave();
}

bool RequestWatch::Progress(bool more) noexcept {
  const Locked locked(lock_);
  if (givenUp_) return false;
  if (more) since_ = GetTickCount();
  else answered_ = true;
  return true;
}

DWORD RequestWatch::Silence() noexcept {
  const Locked locked(lock_);
  return depth_ > 0 && !answered_ ? GetTickCount() - since_ : 0;
}

void RequestWatch::EndThreadIfGivenUp() noexcept {
  if (!givenUp_) return;
  // Nothing of the waiting thread's may be touched any more, and nothing
  // of this thread's is needed: it ends here, its stack as it stands.
  lock_.Leave();
  ExitThread(0);
}

bool RequestWatch::GiveUpIfOverdue(bool now) noexcept {
  const Locked locked(lock_);
  if (now) givenUp_ = true;
  if (depth_ > 0 && !answered_ && limitMs_ != INFINITE && GetTickCount() - since_ >= limitMs_) givenUp_ = true;
  return givenUp_;
}

DWORD WINAPI RunWork(void* work) {
  static_cast<BoundedWork*>(work)->RunHere();
  return 0;
}

void BoundedWork::RunHere() noexcept {
  try {
    Run(watch_);
  } catch (...) {
    failure_ = std::current_exception();
  }
}

bool RunBounded(BoundedWork& work) {
  const UniqueKernelHandle thread(CreateThread(nullptr, 0, &RunWork, &work, 0, nullptr));
  if (!thread) work.RunHere();
  while (thread) {
    const HANDLE handle = thread.get();
    if (MsgWaitForMultipleObjects(1, &handle, FALSE, kWatchPauseMs, QS_ALLINPUT) == WAIT_OBJECT_0) break;
    HandleMessages();
    work.WhileWaiting();
    if (work.watch_.GiveUpIfOverdue(work.Expired())) {
      CancelWaitingIo(handle);
      return false;
    }
  }
  if (work.failure_) std::rethrow_exception(work.failure_);
  return true;
}

bool FileAttributesWithin(const std::wstring& path, DWORD limitMs, DWORD& attributes, DWORD& error,
                          AttributesLookUp lookUp) {
  const size_t bytes = sizeof(Look) + path.size() * sizeof(wchar_t);
  Look* look = static_cast<Look*>(LocalAlloc(LMEM_FIXED, bytes));
  if (!look) throw std::bad_alloc();
  look->owners = 2;
  look->lookUp = lookUp;
  std::memcpy(look->path, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
  const UniqueKernelHandle thread(
      CreateThread(nullptr, kWorkerStackBytes, &LookUp, look, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  if (!thread) LookUp(look);
  if (thread && WaitForSingleObject(thread.get(), limitMs) != WAIT_OBJECT_0) {
    CancelWaitingIo(thread.get());
    Release(look);
    return false;
  }
  attributes = look->attributes;
  error = look->error;
  Release(look);
  return true;
}

}  // namespace kolvex
