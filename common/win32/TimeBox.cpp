#include "common/win32/TimeBox.h"

#include <cstring>
#include <new>

#include "common/win32/Handles.h"

namespace kolvex {

namespace {

// The worker calls the system and little else.
constexpr SIZE_T kWorkerStackBytes = 64 * 1024;

// Shared by the caller and the worker, and freed by whichever of them is
// done with it last: the caller when the answer came, the worker when the
// caller stopped waiting.
struct Look {
  LONG volatile owners;
  DWORD attributes;
  DWORD error;
  wchar_t path[1];  // as long as the path and its terminating zero
};

void Release(Look* look) {
  if (InterlockedDecrement(&look->owners) == 0) LocalFree(look);
}

DWORD WINAPI LookUp(void* shared) {
  Look* look = static_cast<Look*>(shared);
  look->attributes = GetFileAttributesW(look->path);
  look->error = GetLastError();
  Release(look);
  return 0;
}

}  // namespace

bool FileAttributesWithin(const std::wstring& path, DWORD limitMs, DWORD& attributes, DWORD& error) {
  const size_t bytes = sizeof(Look) + path.size() * sizeof(wchar_t);
  Look* look = static_cast<Look*>(LocalAlloc(LMEM_FIXED, bytes));
  if (!look) throw std::bad_alloc();
  look->owners = 2;
  std::memcpy(look->path, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
  const UniqueKernelHandle thread(
      CreateThread(nullptr, kWorkerStackBytes, &LookUp, look, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  if (!thread) LookUp(look);
  if (thread && WaitForSingleObject(thread.get(), limitMs) != WAIT_OBJECT_0) {
    Release(look);
    return false;
  }
  attributes = look->attributes;
  error = look->error;
  Release(look);
  return true;
}

}  // namespace kolvex
