#include "messages/komunikaty.h"

#include <windows.h>

#include "common/win32/Utf.h"

namespace kolvex {

// Interim: the plain system box, until the message window with its markup lands.
void ShowErrorMessage(const std::string& text) {
  MessageBoxW(nullptr, Widen(text).c_str(), L"B\u0142\u0105d", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace kolvex
