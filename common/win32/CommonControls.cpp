#include "common/win32/CommonControls.h"

#include <windows.h>
#include <commctrl.h>

namespace kolvex {

void InitCommonControlsOnce() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    // Without them the windows still open, unthemed: nothing to report.
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)done;
}

}  // namespace kolvex
