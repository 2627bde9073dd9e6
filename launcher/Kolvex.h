#pragma once
// The main sequence: wait, read the settings, update the target, hand off.
#include <cstdint>
#include <string>

#include "launcher/Settings.h"

namespace kolvex {

// Set once by LoadSettings, read by the update stage and the log.
extern std::string ExeDir;     // the launcher's directory (C:\ kept for a root)
extern std::string SharedDir;  // SHARED_DIR of [MAIN] in baza.set, or ExeDir\SHARED
extern std::string TargetName; // the first argument, possibly empty
extern ComponentList Components;  // [SKLADNIKI] of baza.set: the files to refresh and the entries refused
extern std::string ReportDir;  // REPORT_DIR of [MAIN]: where the start reports go; empty: none
extern uint32_t SharedTimeBoxMs;  // SHARED_TIMEOUT of [MAIN]: how long the share may take to answer first

// The settings as LoadSettings finds them for a launcher living in exeDir:
// baza.set there read once, whole, in whichever encoding it was saved
// (ANSI, UTF-16 LE or UTF-8); a missing or unreadable file gives the defaults.
Settings ReadSettings(const std::string& exeDir);

void LoadSettings();
void LaunchTarget();
// The whole run; any exception it raises ends the process with exit code 1.
void RunLauncher();

}  // namespace kolvex
