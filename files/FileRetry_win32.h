#pragma once
// File operations tried again while someone holds the file for a moment.
#include <windows.h>

#include "common/win32/Window.h"
#include "files/FileRetry.h"

namespace kolvex {

static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED && kErrorSharingViolation == ERROR_SHARING_VIOLATION &&
              kErrorLockViolation == ERROR_LOCK_VIOLATION);

// Runs operation (returning ERROR_SUCCESS, or the error of its failing call)
// until it succeeds or ShouldRetryFileOperation gives up on its error within
// windowMs. A window shown meanwhile goes on answering.
template <typename Operation>
DWORD RetryWhileHeld(Operation operation, DWORD windowMs = kFileRetryWindowMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD error = operation();
    if (error == ERROR_SUCCESS || !ShouldRetryFileOperation(error, GetTickCount() - start, windowMs)) return error;
    PauseHandlingMessages(kFileRetryPauseMs);
  }
}

}  // namespace kolvex
