#include "common/win32/TimeBox.h"

#include "common/win32/Handles.h"

namespace kolvex {

namespace {

// The worker calls the system and little else.
constexpr SIZE_T kWorkerStackBytes = 64 * 1024;

}  // namespace

bool TimeBoxedWork::RunWithin(DWORD limitMs) {
  InterlockedIncrement(&owners_);
  const UniqueKernelHandle thread(
      CreateThread(nullptr, kWorkerStackBytes, &Worker, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  if (!thread) {
    Worker(this);
    return true;
  }
  return WaitForSingleObject(thread.get(), limitMs) == WAIT_OBJECT_0;
}

void TimeBoxedWork::Release() noexcept {
  if (InterlockedDecrement(&owners_) == 0) delete this;
}

DWORD WINAPI TimeBoxedWork::Worker(void* work) {
  auto* self = static_cast<TimeBoxedWork*>(work);
  self->Run();
  self->Release();
  return 0;
}

}  // namespace kolvex
