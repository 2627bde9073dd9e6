#pragma once
// Going back from a halted release. A start that takes the governed version
// keeps the backups the update made of what it took (nameOLD) in a folder of
// the installation; while the release is halted with roll-back, a start
// updates the installation from that folder as from the share: the same
// verified, turn-taking update, the versions it brings back logged.
#include <optional>
#include <string_view>
#include <vector>

#include "update/Installation.h"
#include "update/UpdateOutcome.h"

namespace kolvex {

inline constexpr std::string_view kRollBackDirName = "Kolvex.wycofanie";

// The backups of updates (those made: a file new to the installation has
// none) copied into kRollBackDirName, emptied of an earlier release's first.
// A failure is silent: the roll-back then finds no whole backup.
void KeepForRollBack(const Installation& installation, const std::vector<ComponentUpdate>& updates) noexcept;

// Points source's shared directory at kRollBackDirName; false when the
// folder does not hold the program: without a whole backup the installation
// stays as it is.
bool RollBackSource(Installation& source);

}  // namespace kolvex
