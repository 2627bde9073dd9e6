#pragma once
// baza.set as a start finds it on Windows.
#include <string>

#include "update/Settings.h"

namespace kolvex {

// The settings of a launcher living in exeDir: baza.set there read once,
// whole, in whichever encoding it was saved (ANSI, UTF-16 LE or UTF-8); a
// missing or unreadable file gives the defaults.
Settings ReadSettings(const std::string& exeDir);

}  // namespace kolvex
