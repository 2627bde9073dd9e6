#pragma once
// The main sequence: wait, read the settings, update the target, hand off.
#include <string>

namespace kolvex {

// Set once by LoadSettings, read by the update stage and the log.
extern std::string ExeDir;     // the launcher's directory (C:\ kept for a root)
extern std::string SharedDir;  // SHARED_DIR of [MAIN] in baza.set, or ExeDir\SHARED
extern std::string TargetName; // the first argument, possibly empty

// The value of SharedDir for a SHARED_DIR value as read from the settings file.
std::string SharedDirFromSetting(const std::string& value, const std::string& exeDir);

// SharedDir as LoadSettings finds it for a launcher living in exeDir: the
// SHARED_DIR value of baza.set there (blanks around it dropped by the
// system's profile reader, at most 2047 characters), or exeDir\SHARED.
std::string ReadSharedDir(const std::string& exeDir);

void LoadSettings();
void LaunchTarget();
// The whole run; any exception it raises ends the process with exit code 1.
void RunLauncher();

}  // namespace kolvex
