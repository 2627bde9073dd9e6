#pragma once
// The start report: one small file per workstation in the administrator's
// report folder (REPORT_DIR of [MAIN]), replaced whole by every start, so
// that one look at the folder shows what each computer runs and how its
// last start went. UTF-8 with a byte-order mark and CR LF, so that Notepad
// shows it as it is; INI-shaped, so that it reads back by the settings'
// own rules.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "update/UpdateOutcome.h"

namespace kolvex {

// A file of the installation as the start left it.
struct ReportedFile {
  std::string name;     // relative to the installation
  std::string version;  // the version, or for files compared by date the date (YYYY-MM-DD hh:mm:ss); empty: none
  friend bool operator==(const ReportedFile&, const ReportedFile&) = default;
};

// What the start saw on the shared directory. A report of the older form
// does not say: Unknown.
enum class ShareSight : uint8_t { Unknown, Seen, NotSeen };

// Each field starts empty, so that a designated initializer may leave it out.
struct StartReport {
  std::string computer{};
  std::string user{};
  std::string time{};           // of the start, YYYY-MM-DD hh:mm:ss, local time
  std::string installation{};   // the launcher's directory
  std::string launcherVersion{};
  std::string sharedDir{};      // as read from baza.set
  std::string program{};        // the program's name, as started
  UpdateResult outcome = UpdateResult::NothingToDo;  // how the start went, as far as the update is concerned
  std::vector<std::string> changes{};         // "prog.exe: 1.0.1.3 → 1.0.1.4", one per file brought in
  std::vector<std::string> missingOnShare{};  // listed files the shared directory does not hold
  std::vector<std::string> refused{};         // "prog.exe: brak podpisu", one per file its signature kept out
  std::vector<std::string> waiting{};         // listed files another program held open, left as they were
  std::vector<ReportedFile> files{};          // the program first, then the listed files in their order
  ShareSight shareSight = ShareSight::Unknown;
  std::vector<ReportedFile> sharedFiles{};    // Seen: the same files as the share offered them ("brak": not there)
  std::string reason{};         // the system's text for SharedDirRefused and NotWritable
  std::string notStarted{};     // the system's text when the shell could not open the program: it did not start
  // The last failure on this computer, kept until a start succeeds.
  std::string failureTime{};
  std::string failure{};        // as the user was shown it, message markup and all
  friend bool operator==(const StartReport&, const StartReport&) = default;
};

// The name of the report of a computer in the report folder.
std::string StartReportFileName(std::string_view computer);

// Whether a name in the report folder is a report (not a half-written one,
// not the summary).
bool IsStartReportFileName(std::string_view name);

// The report's bytes.
std::string FormatStartReport(const StartReport& report);

// A report as FormatStartReport writes it; false when the text is not one
// (no [KOLVEX] section, or an outcome it does not know).
bool ParseStartReport(std::string_view text, StartReport& report);

// The outcome of the update as the report tells it: the outcome, a change
// line for each file brought in ("prog.exe: 1.0.1.3 → 1.0.1.4", dates for
// files compared by date), a line for each file refused for its signature
// ("prog.exe: brak podpisu"), the listed files that wait for a later start,
// and for a failure its text with the report's time.
void SetOutcome(StartReport& report, const UpdateOutcome& outcome);

// A failure of the previous report carried into the next one, which keeps
// it while no start has succeeded since.
void CarryFailure(const StartReport& previous, StartReport& next);

// The Polish word for an outcome, as the report and the summary show it.
std::string_view OutcomeText(UpdateResult outcome);

// The report's outcome in words (WYNIK): OutcomeText, except that a start
// that brought nothing in or only some files, where a file was refused for its
// signature, says the refusal.
std::string_view ReportedOutcomeText(const StartReport& report);

}  // namespace kolvex
