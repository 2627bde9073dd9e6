#pragma once
// The backup the update keeps of an installed file before replacing it.
#include <string>

namespace kolvex {

// Where the installed file dst is kept before it is replaced, chosen by the
// extension given to UpdateComponent. With none (as the launcher gives it),
// "OLD" is appended to the whole name (prog.exe -> prog.exeOLD); ".EXE",
// ".HLP", ".CNT" and ".CHM", exactly so, replace the file's extension with
// themselves and "OLD" (prog.EXEOLD); any other extension gives the empty
// name: no backup is made.
std::string BackupName(const std::string& dst, const std::string& ext);

}  // namespace kolvex
