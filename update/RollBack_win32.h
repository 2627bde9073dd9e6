#pragma once
// Going back from a halted release. A start that takes the governed version
// keeps the backups the update made of what it took (nameOLD) in a folder of
// the installation; while the release is halted with roll-back, a start
// updates the installation from that folder as from the share: the same
// verified, turn-taking update, the versions it brings back logged.
#include <optional>
#include <string>
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

// The installation as source with kRollBackDirName as its shared directory
// (and no signer rule: the backups were taken under it); false when the
// folder does not hold the program: without a whole backup the installation
// stays as it is.
bool RollBackSource(const Installation& installation, Installation& source);

// "now - wycofanie wersji VERSION: wracają kopie zapasowe" in the
// installation's update log: a halted release goes back; the lines of the
// files put back follow. Raises as WriteUpdateLog does.
void WriteRollBackLog(const std::string& version, const std::string& exeDir);

}  // namespace kolvex
