#pragma once
// The start report on Windows: gathered after the hand-off and written to
// the report folder without the user ever waiting for it.
#include <string>

#include "launcher/Settings.h"
#include "launcher/StartReport.h"

namespace kolvex {

// A report of this start with everything but its outcome: the computer,
// the user, the time, the launcher's directory and version, the shared
// directory as read, and the program and the listed files as installed
// now (version, or date for files compared by date; "brak" when missing).
StartReport NewStartReport(const std::string& exeDir, const Settings& settings, const std::string& program);

// Replaces the computer's report in the report folder by this one (written
// under another name, then renamed), keeping the last failure while no
// start has succeeded. Any failure is silent; a folder that does not answer
// within timeoutMs is given up on.
void WriteStartReport(const std::string& reportDir, StartReport report, unsigned timeoutMs);

}  // namespace kolvex
