#include "common/win32/CommonControls.h"

#include <optional>

namespace kolvex {

namespace {

template <class Function>
Function Find(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

std::optional<CommonControls> Load() {
  // Kept for the life of the process: the windows' classes live in it.
  const HMODULE library = LoadLibraryW(L"comctl32.dll");
  const auto init = Find<decltype(&::InitCommonControlsEx)>(library, "InitCommonControlsEx");
  const CommonControls found{
      .SetWindowSubclass = Find<decltype(&::SetWindowSubclass)>(library, "SetWindowSubclass"),
      .RemoveWindowSubclass = Find<decltype(&::RemoveWindowSubclass)>(library, "RemoveWindowSubclass"),
      .DefSubclassProc = Find<decltype(&::DefSubclassProc)>(library, "DefSubclassProc"),
  };
  if (!library || !init || !found.SetWindowSubclass || !found.RemoveWindowSubclass || !found.DefSubclassProc)
    return std::nullopt;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  init(&controls);  // without it the windows still open, unthemed: nothing to report
  return found;
}

}  // namespace

const CommonControls* LoadCommonControls() noexcept {
  static const std::optional<CommonControls> controls = Load();
  return controls ? &*controls : nullptr;
}

}  // namespace kolvex
