#include "files/MoveAside.h"

#include "files/FileRetry.h"

namespace kolvex {

namespace {

// What OpenProcess says of a process id that no process has.
constexpr uint32_t kErrorInvalidParameter = 87;

// How many times, at most, the copy and then the old file are tried in turn
// once the old file has been moved aside.
constexpr int kRoundsAtMost = 2;

// A file the system refuses to replace but may rename: a running program
// gives one of these (and so does a file held open without delete sharing,
// which then refuses the rename too).
bool MayBeRunning(uint32_t error) { return error == kErrorAccessDenied || error == kErrorSharingViolation; }

}  // namespace

RunState RunStateOf(uint32_t openError, bool exited) {
  if (openError == 0) return exited ? RunState::Ended : RunState::Running;
  return openError == kErrorInvalidParameter ? RunState::Ended : RunState::MayNotLook;
}

LeftoverFate FateOfLeftover(RunState owner, bool movedAside, bool destinationExists) {
  if (owner != RunState::Ended) return LeftoverFate::Keep;
  return movedAside && !destinationExists ? LeftoverFate::PutBack : LeftoverFate::Remove;
}

uint32_t ReplaceMovingAside(ReplacementCalls& calls, const std::string& from, const std::string& to,
                            const std::string& aside) {
  const uint32_t hold = calls.TargetHold(to);
  // Nothing holds the installed file: what keeps the copy out now holds the
  // copy, fresh from the share, which a virus scanner may still be reading.
  if (hold == 0) return calls.RetryingLong([&] { return calls.Replace(from, to); });
  if (!MayBeRunning(hold) || calls.Rename(to, aside) != 0) return hold;
  // Nothing stands under to's name until one of the two is renamed there.
  uint32_t placing = 0;
  for (int round = 0; round < kRoundsAtMost; ++round) {
    placing = calls.RetryingLong([&] { return calls.Rename(from, to); });
    if (placing == 0) {
      calls.Hide(aside);
      return 0;
    }
    if (calls.RetryingLong([&] { return calls.Rename(aside, to); }) == 0) return placing;
  }
  return placing;
}

}  // namespace kolvex
