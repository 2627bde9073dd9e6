#pragma once
// What the update of an installation came to, as a value: its caller leaves
// the installation's turn before it shows the user anything, and whatever is
// told afterwards (the "Błąd" window, a report) is told from this.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/DateTime.h"

namespace kolvex {

// The values of one refreshed (or considered) component, from the resolved
// name to what the comparison found; the log line is made of them.
// Each starts empty, so that a designated initializer may leave it out.
struct ComponentUpdate {
  std::string name{};                      // relative to both directories; the log writes its file-name part
  std::string src{};                       // sharedDir\name of the Installation: the new version
  std::string dst{};                       // exeDir\name of the Installation: the installed version
  std::string oldVersion{}, newVersion{};  // kCompareByVersion; "brak" when there was no installed file
  DateTime oldDate{}, newDate{};           // kCompareByDate; day 0 when there was no installed file
  std::uint8_t compareMode{};              // which of the two pairs above tells old from new
};

// How a start went, as far as the update is concerned: the update's own
// result, or why it was not tried. The start report keeps it too.
enum class UpdateResult : std::uint8_t {
  NothingToDo,        // every file as on the share, or not there at all
  Updated,            // updates names each file refreshed
  ShareNotFound,      // no shared directory: nothing compared, the turn not taken
  ShareNotAnswering,  // the shared directory did not answer in time and was left alone
  TurnNotCome,        // another start held the turn past the wait's bound: nothing compared, the
                      // installed program started (without one, Failed says so)
  Failed,             // failure says why, as the "Błąd" window of a start shows it; updates, what was
                      // refreshed before it
  ShareRefused,       // the shared directory answered its first look with an error (no right to it, a
                      // logon failure, a drive mapping gone): left alone as a missing one, reason says why
  TurnRefused,        // the turn could not be taken (no right to write the installation): compared only,
                      // the installed program started; reason says why
  ServiceUnavailable,  // the update service did not update the installation (not registered, stopped,
                       // silent, refusing it): the installed program started, reason says why
  ShareStopped,       // the shared directory stopped answering during the update: given up on where it
                      // stood, no file replaced by an unfinished copy, the installed program started
};
inline constexpr UpdateResult kLastUpdateResult = UpdateResult::ShareStopped;

// A file of the share not installed for its signature: the installed one stayed.
struct RefusedUpdate {
  std::string name;    // as ComponentUpdate::name
  std::string reason;  // RefusalReason
};

// Why a listed file waits for a later start, as the log and the summary say it.
inline constexpr std::string_view kWaitingReason = "plik jest otwarty w innym programie";

struct UpdateOutcome {
  UpdateResult result = UpdateResult::NothingToDo;
  std::vector<ComponentUpdate> updates{};  // in the order they were made
  std::vector<RefusedUpdate> refused{};    // in the order they were met
  std::vector<std::string> waiting{};      // listed files another program holds open: left as they were
  std::string failure{};                   // the text of the "Błąd" window, exactly
  std::string reason{};                    // the system's or service's text for ShareRefused, TurnRefused
                                           // and ServiceUnavailable; after the service's update, why its
                                           // log was not written
};

}  // namespace kolvex
