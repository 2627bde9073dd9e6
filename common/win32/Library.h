#pragma once
// Functions of system libraries that are loaded when first needed rather
// than imported: an import is loaded, with everything it imports, at every
// start of the program, whether the start needs it or not.
#include <windows.h>

namespace kolvex {

// The function name of library, typed as the header declares it
// (decltype(&::Name)); nullptr when the library or the function is missing.
template <class Function>
Function ProcAddress(HMODULE library, const char* name) noexcept {
  return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

}  // namespace kolvex
