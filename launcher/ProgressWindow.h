#pragma once
// The small modeless window that names the component being refreshed.
#include <string>

namespace kolvex {

// Creates the window on first use, shows text in it, paints it at once and
// waits 500 ms. The window stays until the process ends.
void ShowUpdateProgress(const std::string& text);

}  // namespace kolvex
