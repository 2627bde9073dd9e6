#pragma once
// A running program, or a library a running program has loaded, can be
// neither replaced nor deleted, but it can be renamed within its directory,
// and the processes run on with it under the new name. The rules for moving
// it aside, for bringing it back, and for what runs left aside; the system
// calls are WindowsCopySystem's.
#include <cstdint>
#include <functional>
#include <string>

namespace kolvex {

// What one run may tell of another run's process.
enum class RunState {
  Ended,       // gone, or exited
  Running,
  MayNotLook,  // the system refused to open it (another user's): taken for running
};

// From the system's answers: openError, 0 when the process was opened for
// waiting, otherwise the system's error code (invalid parameter: no such
// process); exited, whether the process opened has ended.
RunState RunStateOf(uint32_t openError, bool exited);

enum class LeftoverFate { Keep, Remove, PutBack };

// What becomes of a temporary copy or a moved-aside file (see LeftoverOwner)
// whose run is in state owner: only an ended run's go, so that two runs
// never remove each other's work. A file an ended run moved aside while its
// destination stands empty (the run was ended between the two renames, or
// could bring neither file into place) is the installation's program: it is
// put back, not removed.
LeftoverFate FateOfLeftover(RunState owner, bool movedAside, bool destinationExists);

// The system calls a replacement is made of, each giving 0 or the system's
// error code.
class ReplacementCalls {
 public:
  // 0 when to could be replaced as things stand (nobody else has it open,
  // or there is none), otherwise why not.
  virtual uint32_t TargetHold(const std::string& to) = 0;
  // from in to's place in one step, over an existing to.
  virtual uint32_t Replace(const std::string& from, const std::string& to) = 0;
  // from renamed to to, where there is no to.
  virtual uint32_t Rename(const std::string& from, const std::string& to) = 0;
  virtual void Hide(const std::string& path) = 0;
  // Runs attempt until it succeeds or fails other than by a passing hold,
  // for as long as a virus scanner may hold a fresh file (FileRetry.h).
  virtual uint32_t RetryingLong(const std::function<uint32_t()>& attempt) = 0;

 protected:
  ~ReplacementCalls() = default;
};

// One attempt at putting from in to's place. A to that cannot be replaced
// but can be renamed (it runs) is first moved to aside, and hidden once from
// has taken its place. When from cannot take it, the old file is renamed
// back; when that fails too, from is tried again, then the old file again,
// each for as long as a passing hold lasts, so that a whole program stands
// under to's name whenever either rename can be made. Gives 0, or the error
// of the hold on to, or the error that kept from out of its place.
uint32_t ReplaceMovingAside(ReplacementCalls& calls, const std::string& from, const std::string& to,
                            const std::string& aside);

}  // namespace kolvex
