#pragma once
#include <windows.h>
#include <commctrl.h>

namespace kolvex {

// The common controls (version 6, as the manifest asks), loaded and readied
// for the program's first window rather than at start: their library's
// start-up registers window classes and opens the display and the theme
// library, which a start that shows no window does not need. Windows XP
// finds the manifest's controls only once they are initialised.
struct CommonControls {
  decltype(&::SetWindowSubclass) SetWindowSubclass;
  decltype(&::RemoveWindowSubclass) RemoveWindowSubclass;
  decltype(&::DefSubclassProc) DefSubclassProc;
};

// Loads them on the first call; nullptr if the system lacks them.
const CommonControls* LoadCommonControls() noexcept;

}  // namespace kolvex
