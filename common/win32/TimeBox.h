#pragma once
// Work that may wait in the system for as long as the network lets it (the
// first touch of a shared directory whose server does not answer), run on a
// thread of its own so that its caller can stop waiting for it.
#include <windows.h>

#include <memory>

namespace kolvex {

// Derive, give it its inputs, RunWithin, and read its results when that
// says the work ended. The object is shared by the caller and the worker
// thread and freed by whichever of them is done with it last: a worker that
// never comes back keeps it until the process ends. Run() executes on the
// worker thread: it may touch only its own members, no function-local static
// (Kolvex.exe initialises those without locks) and nothing else that takes
// the program to have one thread.
class TimeBoxedWork {
 public:
  // Runs Run() on a new thread and waits at most limitMs (INFINITE: as long
  // as it takes) for it to end. True when it ended in time, its results then
  // being there to read; false when it did not. Where no thread can be made,
  // it runs here, whatever it takes.
  bool RunWithin(DWORD limitMs);
  // The caller is done with it; see above.
  void Release() noexcept;

 protected:
  TimeBoxedWork() = default;
  virtual ~TimeBoxedWork() = default;
  virtual void Run() noexcept = 0;

 private:
  static DWORD WINAPI Worker(void* work);
  LONG volatile owners_ = 1;
};

struct ReleaseTimeBoxedWork {
  void operator()(TimeBoxedWork* work) const noexcept { work->Release(); }
};
// The caller's share of a TimeBoxedWork made with new.
template <class Work>
using TimeBoxed = std::unique_ptr<Work, ReleaseTimeBoxedWork>;

}  // namespace kolvex
