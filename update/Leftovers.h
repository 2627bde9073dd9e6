#pragma once
// What runs of the launcher that have ended left beside the installation's
// files: temporary copies, and files moved aside because they were running.
#include <string>
#include <vector>

#include "files/CopyVerified.h"
#include "update/Components.h"

namespace kolvex {

// Removes the leftovers of the listed components and the program (relative
// names in exeDir) whose runs have ended; a file still running stays for a
// later start. The caller holds the installation's turn at the update.
void RemoveLeftoversOfEndedRuns(CopySystem& files, const std::string& exeDir,
                                const std::vector<Component>& components, const std::string& programName);

}  // namespace kolvex
