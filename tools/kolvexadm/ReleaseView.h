#pragma once
// What kolvexadm shows of a release in stages: the release file's rollout
// as a table, and the markers no report stands beside.
#include <string>
#include <vector>

#include "update/Release.h"

namespace kolvex {

// The version, the pilots, each stage's date and percentage in the order
// they open (a stage dated before a smaller one opens with it), the limit,
// and whether it is halted and rolls back; for a file not understood, why.
std::string ReleaseTable(const ReleaseFile& file);

// The markers among a report folder's names whose computer left no start
// report there: forged, or from a computer since renamed or gone.
std::vector<std::string> MarkersWithoutReport(const std::vector<std::string>& names);

}  // namespace kolvex
