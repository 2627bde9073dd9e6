#include "common/win32/CommonControls.h"

#include <optional>

#include "common/win32/Library.h"

namespace kolvex {

namespace {

std::optional<CommonControls> Load() {
  // Kept for the life of the process: the windows' classes live in it.
  const HMODULE library = LoadLibraryW(L"comctl32.dll");
  const auto init = ProcAddress<decltype(&::InitCommonControlsEx)>(library, "InitCommonControlsEx");
  const CommonControls found{
      .SetWindowSubclass = ProcAddress<decltype(&::SetWindowSubclass)>(library, "SetWindowSubclass"),
      .RemoveWindowSubclass = ProcAddress<decltype(&::RemoveWindowSubclass)>(library, "RemoveWindowSubclass"),
      .DefSubclassProc = ProcAddress<decltype(&::DefSubclassProc)>(library, "DefSubclassProc"),
  };
  if (!init || !found.SetWindowSubclass || !found.RemoveWindowSubclass || !found.DefSubclassProc)
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
