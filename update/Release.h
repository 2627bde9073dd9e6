#pragma once
// A release in stages: the administrator's wydanie.set beside the program on
// the share says which version it governs, which computers try it first
// (the pilots), from when which share of the others takes it, and how many
// failed first starts halt it. Each start decides for its own computer; the
// failed first starts are counted from the markers the computers leave in
// the report folder. Whatever in the file is not understood holds the
// release back: it never lets a version through by accident.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/DateTime.h"
#include "update/UpdateOutcome.h"

namespace kolvex {

inline constexpr std::string_view kReleaseFileName = "wydanie.set";
inline constexpr std::string_view kReleaseSection = "WYDANIE";
inline constexpr std::string_view kReleaseVersionKey = "WERSJA";
inline constexpr std::string_view kReleasePilotKey = "PILOT";           // names with * wildcards, comma-separated; repeatable
inline constexpr std::string_view kReleaseStageKey = "ETAP";            // "YYYY-MM-DD hh:mm, percent"; repeatable
inline constexpr std::string_view kReleaseLimitKey = "LIMIT_BLEDOW";    // failed first starts that halt it
inline constexpr std::string_view kReleaseHaltedKey = "WSTRZYMANE";     // tak / nie
inline constexpr std::string_view kReleaseRollBackKey = "WYCOFANIE";    // tak / nie

// A stage: from its time on (local time of the workstation), percent of the
// computers other than the pilots take the version.
struct ReleaseStage {
  DateTime from{};
  int percent = 0;
  friend bool operator==(const ReleaseStage&, const ReleaseStage&) = default;
};

struct Release {
  std::string version{};               // the share's program version it governs
  std::string pilots{};                // computer names, * for any run of characters, each ended by ','

  std::vector<ReleaseStage> stages{};  // as listed
  uint32_t failureLimit = 0;           // markers at which it is halted (1 or more)
  bool halted = false;                 // halted by hand
  bool rollBack = false;               // computers that took it go back while it is halted
};

// The file read: the release, unless problem, the sentence that says why it
// holds every release back, is given (release then means nothing).
struct ReleaseFile {
  Release release{};
  std::string problem{};
};

// The text of wydanie.set (decoded to UTF-8). Every key is required but
// PILOT, ETAP, WSTRZYMANE and WYCOFANIE; a section, key or value it does not
// know, a repeated single key, a stage time that no calendar holds or a
// percentage beyond 0-100 is a problem.
ReleaseFile ParseRelease(std::string_view text);

// text with WSTRZYMANE set to tak or nie, the rest as the administrator
// wrote it: the key's line replaced, or added after the section's header.
std::string SetReleaseHalted(std::string_view text, bool halted);

// "YYYY-MM-DD hh:mm" (":ss" may follow) as a stage writes it; nothing for
// anything else.
std::optional<DateTime> ParseStageTime(std::string_view text);

// The computer's bucket for the version, 0-99: FNV-1a (64 bits) of the
// upper-cased name and the version, mixed, modulo 100. The same computer
// keeps its bucket for a version; another version deals the buckets anew.
int ReleaseBucket(std::string_view computer, std::string_view version);

// Whether a name matches one of the pilots (letters in any case, * for any
// run of characters).
bool IsPilot(const Release& release, std::string_view computer);

// When a stage opens: at its own date, or at a smaller stage's when that
// comes later.
DateTime StageOpens(const Release& release, const ReleaseStage& stage);

// The stage in force at now: the largest percentage whose stage has opened,
// a stage opening no earlier than any stage of a smaller percentage (so that
// 50 % never comes before 10 %, however the file orders or dates them).
// from is the time it opened; nothing before the first.
std::optional<ReleaseStage> StageInForce(const Release& release, DateTime now);

// What a start does about the share's program.
enum class ReleaseStep : uint8_t {
  Free,      // no release governs it: the update goes as always
  Take,      // a pilot, or a bucket below the stage in force
  Wait,      // the installed program starts; nothing of the share is taken
  Halted,    // at or above the failure limit, or halted by hand: nothing taken
  HeldBack,  // the file or the markers cannot be read: nothing taken
  RollBack,  // halted with roll-back, and this computer has the version: its backup goes back
};

// The word a report line gives each step after the version, in the order
// of ReleaseStep (Free has no line).
inline constexpr std::array<std::string_view, 6> kReleaseStepTexts = {
    "", "przyjęte", "czeka na swój etap", "wstrzymane", "zatrzymane", "wycofane"};

// What the start knows when it decides.
struct ReleaseFacts {
  bool fileFound = false;             // wydanie.set is on the share (or could not be read)
  ReleaseFile file{};                 // its reading
  std::string shareVersion{};         // the share's program
  std::string installedVersion{};     // the installed program
  bool installed = false;             // whether there is an installed program
  std::string computer{};
  DateTime now{};
  std::optional<uint32_t> failures{};  // markers for the version; nothing: the folder could not be read
};

struct ReleaseDecision {
  ReleaseStep step = ReleaseStep::Free;
  std::string version{};    // the governed version
  int bucket = -1;          // this computer's, when governed
  bool pilot = false;
  std::optional<ReleaseStage> stage{};
  uint32_t failures = 0;
  std::string why{};        // the problem, for HeldBack; "ręcznie"/count for Halted
};

// The rule. Without the file every computer goes as always, and so does a
// share program of another version than the file governs. A computer with no
// program installed has nothing to keep and goes as always too. A file that
// cannot be read holds back any change of the program.
ReleaseDecision DecideRelease(const ReleaseFacts& facts);

// Whether the markers need counting for the decision: only before taking the
// governed version or keeping it.
bool NeedsFailureCount(const ReleaseFacts& facts);

// The report's line of the decision ("1.0.1.4: czeka na swój etap (koszyk
// 57, etap 10 % od 2026-12-01 08:00)"); empty for Free.
std::string ReleaseReportLine(const ReleaseDecision& decision);
// The step a report line tells, for the summary; nothing for an unknown one.
// (update/ReleaseFileEdit.cpp, with what only the administrator's tool needs.)
std::optional<ReleaseStep> ReleaseStepOfLine(std::string_view line);

// The governed version the outcome took, when its release line says it was
// taken and the program (targetName) was brought in at that version: the
// first start to watch; empty otherwise.
std::string TakenVersion(const UpdateOutcome& outcome, std::string_view targetName);

// The failure markers: one small file per computer and version in the
// report folder, "<computer>@<version>.nieudany".
inline constexpr std::string_view kMarkerExtension = ".nieudany";
std::string FailureMarkerName(std::string_view computer, std::string_view version);
// The system's listing pattern for a version's markers.
std::string FailureMarkerPattern(std::string_view version);
// Every marker of any version: computer and version; nothing for other names.
std::optional<std::pair<std::string, std::string>> MarkerParts(std::string_view name);
// Whether a listed name is a marker with tail ("@<version>.nieudany", the
// pattern without its star): not one still being written (~), nor one
// without a computer.
bool IsFailureMarker(std::string_view name, std::string_view tail);
// How many computers left a marker for version among a listing's names.
uint32_t CountFailureMarkers(const std::vector<std::string>& names, std::string_view version);

// Whether a program's exit code is a failed start: an exception code (0xC...).
bool IsFailedStartCode(uint32_t code);
// "0xC0000005 (naruszenie dostępu do pamięci)".
std::string ExitCodeText(uint32_t code);

}  // namespace kolvex
