#pragma once
// The check of an installation: what a start of the launcher in it would do,
// told in Polish without changing anything.
#include <string>

namespace kolvex {

// Exit codes of the check, for login scripts.
enum CheckCode : int {
  kCheckClean = 0,       // every file and entry as it should be
  kCheckWarnings = 1,    // something the launcher passes over in silence
  kCheckErrors = 2,      // starts will not update (share missing or silent, entries refused)
  kCheckNoInstallation = 3,  // the directory is not there, or the arguments are wrong
  kNotRegistered = 4,        // usluga usun: the installation was not registered (nothing done)
};

struct CheckReport {
  std::string text;  // lines ending in LF
  CheckCode code = kCheckClean;
};

// exeDir: the installation's directory; program: the program's file name as
// the users' shortcut gives it, or empty to check the listed files only.
CheckReport CheckInstallation(const std::string& exeDir, const std::string& program);

}  // namespace kolvex
