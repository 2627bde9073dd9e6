#pragma once
// What the update tests share: fixture programs with chosen contents, the
// settings file, and the installation's file list.
#include <string>
#include <vector>

#include "e2e/E2eSupport.h"
#include "update/StartReport.h"

namespace kolvex::test {

// The bytes of a fixture program in bin/ ("target_v1013" for target_v1013.exe).
std::string FixtureBytes(const std::string& fixture);

// baza.set with [MAIN] SHARED_DIR=value and moreMain's lines (each ending
// in CR LF), in UTF-16 so that any name fits.
void WriteSettings(const Installation& app, const std::string& sharedDirValue, const std::string& moreMain = "");

// A program followed by megabytes of filler, a different filler for each
// fill value; written and compared a piece at a time.
void WriteLargeProgram(const std::string& path, const std::string& program, int megabytes, unsigned char fill);
bool HoldsLargeProgram(const std::string& path, const std::string& program, int megabytes, unsigned char fill);

// How many times the target recorded its start in app's directory.
int TargetStarts(const Installation& app);

// The names of path's directory entries that none of the expected names
// match (the turn file is always expected): what a failed update must not
// leave behind.
std::vector<std::string> UnexpectedEntries(const std::string& dir, const std::vector<std::string>& expected);

// bytes written to path once the program started last lets go of it (within 15 s).
bool WriteOnceReleased(const std::string& path, const std::string& bytes);

// This computer's start report in reportDir, read back (a failed reading fails the test).
StartReport ThisComputersReport(const std::string& reportDir);

}  // namespace kolvex::test
