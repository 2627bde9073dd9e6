#pragma once
// The main sequence: wait, read the settings, update the target, hand off.

namespace kolvex {

// The whole run; any exception it raises ends the process with exit code 1.
void RunLauncher();

}  // namespace kolvex
