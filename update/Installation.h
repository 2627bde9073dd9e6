#pragma once
// The installation a start serves: where it is, where its new versions are,
// whose programs it takes, and which program it starts. The main sequence makes it once and hands it
// to the update, the log and the start report.
#include <string>

#include "files/Signature.h"

namespace kolvex {

// Each starts empty, so that a designated initializer may leave it out.
struct Installation {
  // The launcher's directory, where the program and its files are installed:
  // the directory part of the launcher's full path (C:\ kept for a root).
  std::string exeDir{};
  // Where the new versions are: SHARED_DIR of [MAIN] in baza.set, or the
  // sub-directory SHARED of exeDir (see SharedDirFromSetting).
  std::string sharedDir{};
  // The program to update and start, relative to both directories: the
  // launcher's first argument as given, possibly empty.
  std::string targetName{};
  // SIGNED_BY of [MAIN]: the signers whose programs and libraries it takes;
  // without any, every file is taken as it comes.
  SignerRule signers{};
};

}  // namespace kolvex
