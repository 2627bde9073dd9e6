#pragma once
// The folders above an installation and the sub-folders a name under it
// leads through, which the service checks before it writes there.
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

// The folders a name relative to the installation leads through, as the
// system resolves it ("." stays, ".." goes up; either slash), each relative
// to the installation and with "\": "a/b/../c/x.dll" gives "a" and "a\c".
// The caller has checked the name (IsComponentName).
std::vector<std::string> FoldersOnTheWay(std::string_view name);

// The folders above folder, the nearest first, up to its drive's root, the
// root included: "C:\a\b" gives "C:\a" and "C:\".
std::vector<std::string> FoldersAbove(std::string_view folder);

}  // namespace kolvex
