#pragma once
// The start report on Windows: gathered after the hand-off and written to
// the report folder without the user ever waiting for it.
#include <cstdint>
#include <string>
#include <vector>

#include "launcher/Components.h"
#include "launcher/Installation.h"
#include "launcher/StartReport.h"

namespace kolvex {

// The computer's name, as its report file is named after it.
std::string ComputerName();

// A report of this start with the update's outcome: the computer, the user,
// the time, the installation's directory, the launcher's version, the shared
// directory as read, the program and the listed files as installed now
// (version, or date for files compared by date; "brak" when missing), and,
// where the share answered this start (startReadsShare: not in the
// per-machine way, where only the service reads it), the files it does not hold.
StartReport NewStartReport(const Installation& installation, const std::vector<Component>& components,
                           const UpdateOutcome& outcome, bool startReadsShare);

// Replaces the computer's report in the report folder by this one (written
// under another name, then renamed), keeping the last failure while no
// start has succeeded. Any failure is silent; a folder that does not answer
// within timeBoxMs (0: as long as the system waits) is given up on.
void WriteStartReport(const std::string& reportDir, StartReport report, uint32_t timeBoxMs) noexcept;

}  // namespace kolvex
