#pragma once
// The administrator's page: what the start reports of a report folder say
// together, as an HTML page that opens in any browser and as CSV for a
// spreadsheet. What needs attention comes first: failures, files refused
// for their signature and shares out of reach, then the workstations behind
// the newest version.
#include <optional>
#include <string>
#include <vector>

#include "update/StartReport.h"

namespace kolvex {

// One file of the report folder: read and understood, or why not.
struct ReportEntry {
  std::string fileName;
  std::optional<StartReport> report;  // nothing when the file could not be read or is no report
  std::string problem;                // then: why, in Polish
};

// Orders two version texts as versions: number by number, a missing number
// counting as 0, text that is no number after every number, empty first.
int CompareVersions(std::string_view a, std::string_view b);

// The version (or date) the report gives for its program; empty when none.
std::string ProgramVersion(const StartReport& report);

struct Summary {
  std::string newestVersion;
  std::vector<StartReport> all;  // failures, then behind, then the rest, each by computer
  std::vector<size_t> failures;  // places in all: the newest failure first
  std::vector<size_t> behind;    // places in all: the oldest version first, then the longest unseen
  struct VersionCount {
    std::string version;  // empty: no version information
    size_t workstations = 0;
  };
  std::vector<VersionCount> versions;  // newest first
  std::vector<ReportEntry> unreadable;
};

Summary Summarize(std::vector<ReportEntry> entries);

// The page, complete and self-contained (no script, no external file).
// generatedAt is shown as the time of the summary.
std::string SummaryPage(const Summary& summary, const std::string& folder, const std::string& generatedAt);

// One line per workstation, separated by semicolons (the list separator of
// Polish spreadsheets), UTF-8 with a byte-order mark and CR LF. A cell that
// would start a formula begins with an apostrophe instead.
std::string SummaryCsv(const Summary& summary);

}  // namespace kolvex
