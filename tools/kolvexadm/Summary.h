#pragma once
// The administrator's page: what the start reports of a report folder say
// together, as an HTML page that opens in any browser and as CSV for a
// spreadsheet. What needs attention comes first: failures, files refused
// for their signature and shares out of reach, then each shared directory
// with its workstations measured against what it offered.
#include <array>
#include <cstdint>
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

// Where a workstation stands against what its share offers: its program
// and each listed file against the same files there (versions, or dates for
// files compared by date). The offer is the newest one a report saw on the
// same share (one named by a UNC path, the same folder for every computer);
// a drive letter or a local folder may name another folder on each computer,
// so there each workstation is measured against what its own start saw.
enum class ShareStanding : uint8_t {
  UpToDate,  // every file as offered
  Behind,    // a file older than offered (or not installed): the next update brings it in
  Ahead,     // a file newer than offered: a roll-back published and not yet taken
  NotSeen,   // its last start could not read the share
  Unknown,   // a report of the older form, which does not say what the share held
};
inline constexpr size_t kShareStandings = 5;

// The Polish words for a standing, as the page and the CSV show it.
std::string_view StandingText(ShareStanding standing);

struct Summary {
  std::vector<StartReport> all;  // failures, then behind, then the rest, each by computer
  std::vector<ShareStanding> standing;  // of each of all
  std::vector<std::string> offered;     // of each of all: the program's version the share offered it; empty: unknown
  std::vector<size_t> failures;  // places in all: the newest failure first
  std::vector<size_t> behind;    // places in all: behind their share, the oldest version first, then the longest unseen
  // The workstations of one shared directory (letters compared without
  // case), named as the newest report that read it names it.
  struct Share {
    std::string sharedDir;
    std::string offered{};  // the program's version in the newest offer seen; empty: none seen
    std::array<size_t, kShareStandings> counts{};  // by ShareStanding
    std::vector<size_t> places{};  // in all, in all's order
  };
  std::vector<Share> shares;  // by name
  std::array<size_t, kShareStandings> counts{};  // by ShareStanding, of all
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
