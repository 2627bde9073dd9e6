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

// The system directory's library fileName (say "version.dll"), loaded by its
// full path and kept for the life of the process; nullptr when it cannot be
// loaded. For the system's libraries that are not among its known ones:
// Windows looks for an imported or name-only library of that kind in the
// program's own folder first, where anybody who may write that folder can
// put one of their own.
HMODULE LoadSystemLibrary(const wchar_t* fileName) noexcept;

}  // namespace kolvex
