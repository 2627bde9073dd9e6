#pragma once
// A lock for what two threads of the program share.
#include <windows.h>

namespace kolvex {

class CriticalSection {
 public:
  CriticalSection() noexcept { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Enter() noexcept { EnterCriticalSection(&section_); }
  void Leave() noexcept { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

// Holds the lock for the scope.
class Locked {
 public:
  explicit Locked(CriticalSection& lock) noexcept : lock_(lock) { lock_.Enter(); }
  ~Locked() { lock_.Leave(); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  CriticalSection& lock_;
};

}  // namespace kolvex
