#pragma once
// The main sequence: wait, read the settings, update the target, hand off.
#include "launcher/ProgressWindow_win32.h"

namespace kolvex {

// The whole run, showing the update's progress in progress; any exception
// it raises ends the process with exit code 1.
void RunLauncher(ProgressWindow& progress);

}  // namespace kolvex
