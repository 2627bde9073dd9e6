#pragma once
// The process error mode: whether the system stops a program with its own
// boxes ("There is no disk in the drive") when a file call meets a drive
// without a medium.
#include <windows.h>

namespace kolvex {

// While it lives, such calls fail with an error code instead of a box; the
// previous mode comes back when it ends, as processes started later inherit
// the mode.
class NoCriticalErrorBoxes {
 public:
  NoCriticalErrorBoxes() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  ~NoCriticalErrorBoxes() { SetErrorMode(previous_); }
  NoCriticalErrorBoxes(const NoCriticalErrorBoxes&) = delete;
  NoCriticalErrorBoxes& operator=(const NoCriticalErrorBoxes&) = delete;

 private:
  UINT previous_;
};

}  // namespace kolvex
