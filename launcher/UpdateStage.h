#pragma once
// The update stage of a run: one installation is updated by one run at a
// time, and the runs that start meanwhile wait for it.
#include <string>
#include <string_view>

namespace kolvex {

// The name of the update lock of the installation in dir, as the system's
// case folding gives it (so that two spellings of one directory share it):
// "Kolvex-" and a hash of the whole path, short and the same in every run.
std::string UpdateLockName(std::string_view foldedDir);

// What the user reads when another run keeps the lock past the wait's bound.
std::string LockWaitTooLongMessage(const std::string& programName);

}  // namespace kolvex
