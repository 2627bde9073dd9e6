#pragma once

namespace kolvex {

// Readies the common controls (version 6, as the manifest asks) before the
// program's first window: Windows XP finds the manifest's controls only once
// they are initialised. Only a start that shows a window pays for that.
void InitCommonControlsOnce();

}  // namespace kolvex
