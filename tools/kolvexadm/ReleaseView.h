#pragma once
// What kolvexadm shows of a release in stages: the release file's rollout
// as a table, and the markers no report stands beside.
#include <string>
#include <vector>

#include "update/Release.h"
#include "update/StartReport.h"

namespace kolvex {

// The version, the pilots, each stage's date and percentage in the order
// they open (a stage dated before a smaller one opens with it), the limit,
// and whether it is halted and rolls back; for a file not understood, why.
std::string ReleaseTable(const ReleaseFile& file);

// The markers among a report folder's names whose computer left no start
// report there: forged, or from a computer since renamed or gone.
std::vector<std::string> MarkersWithoutReport(const std::vector<std::string>& names);

// A release in stages as the start reports tell it: one for each version
// their WYDANIE= lines name.
struct ReleaseTally {
  std::string version;           // "?" for a release file no start understood
  std::string stage{};           // the stage in force, as the newest start that took it or waits says it
  size_t have = 0;               // workstations that run the version
  size_t waiting = 0;            // wait for their stage
  size_t halted = 0;             // were not given it: halted, or the file not understood
  size_t rolledBack = 0;         // went back from it
  std::vector<std::string> failedStarts{};  // "COMPUTER: 0xC0000005 (...)"
  std::string why{};             // why it is halted or held back, as the newest such start says it
};

// The releases the reports name, the newest version first.
std::vector<ReleaseTally> TallyReleases(const std::vector<StartReport>& reports);

}  // namespace kolvex
