#pragma once
// The installation's memory of refused share files (RefusalMemory), kept
// beside its program: written by whoever writes the installation (the start
// in its turn, or the update service in the per-machine way).
#include <string>

#include "update/RefusalMemory.h"

namespace kolvex {

// The memory as the installation keeps it; empty when there is none.
RefusalMemory ReadRefusalMemory(const std::string& exeDir);

// Writes the memory when it changed (under another name, then renamed). A
// failure is silent: the next start checks the file again.
void KeepRefusalMemory(const std::string& exeDir, const RefusalMemory& memory) noexcept;

}  // namespace kolvex
