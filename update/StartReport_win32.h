#pragma once
// The start report on Windows: gathered after the hand-off and written to
// the report folder without the user ever waiting for it.
#include <cstdint>
#include <string>
#include <vector>

#include "update/Components.h"
#include "update/Installation.h"
#include "update/StartReport.h"

namespace kolvex {

// The computer's name, as its report file is named after it.
std::string ComputerName();

// Writes the report of this start with the update's outcome: the computer,
// the user, the time, the installation's directory, the launcher's version,
// the shared directory as read, the program and the listed files as
// installed now (version, or date for files compared by date; "brak" when
// missing), and whether the share was read and the same files as it offers
// them: where the start found the share gone or silent, not read; where the
// start did not read it itself (startReadsShare false: in the per-machine
// way only the service does), asked now within the time-box. It
// replaces the computer's report in the report folder (written under
// another name, then renamed), keeping the last failure while no start has
// succeeded. Any failure is silent. Made on a thread of its own: a request
// to the shared directory or the report folder that lasts longer than
// timeBoxMs (0: as long as the system waits) gives the report up.
// notStarted: the system's text when the shell could not open the program.
void ReportStart(const std::string& reportDir, const Installation& installation,
                 const std::vector<Component>& components, const UpdateOutcome& outcome,
                 const std::string& notStarted, bool startReadsShare, uint32_t timeBoxMs) noexcept;

}  // namespace kolvex
