#pragma once
// How long a file that someone holds for a moment is tried again: an
// on-access virus scanner reading a file just written, a program still
// closing. RetryWhileHeld (FileRetry_win32.h) applies it to the system's calls.
#include <cstdint>

namespace kolvex {

// Windows error codes of such a hold, as the system gives them.
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorLockViolation = 33;

// Holds, within a second in all, pass: a virus scanner reads a fresh
// program in milliseconds, a closing program is gone soon after its window.
// A longer hold is a program in use, and the user should hear of it at once.
constexpr uint32_t kFileRetryWindowMs = 1000;
// The launcher's own files (its temporary copy, a file it moved aside)
// nobody else has reason to hold but a virus scanner, which may check a
// fresh program of 20-100 MB, with a look-up in its maker's cloud, for
// several seconds: giving up sooner would leave the user without a program.
constexpr uint32_t kOwnFileRetryWindowMs = 15000;
// The pause between two attempts.
constexpr uint32_t kFileRetryPauseMs = 50;

// Whether a file operation that failed with error, elapsedMs after its
// first attempt, is worth another attempt: the holds above within the
// window; anything else, or a hold that lasts, is reported at once.
constexpr bool ShouldRetryFileOperation(uint32_t error, uint32_t elapsedMs,
                                        uint32_t windowMs = kFileRetryWindowMs) {
  const bool held = error == kErrorAccessDenied || error == kErrorSharingViolation || error == kErrorLockViolation;
  return held && elapsedMs < windowMs;
}

}  // namespace kolvex
