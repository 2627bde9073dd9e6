#pragma once
// The sub-folders a name under an installation leads through, which the
// service checks before it writes there.
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

// The folders a name relative to the installation leads through, as the
// system resolves it ("." stays, ".." goes up; either slash), each relative
// to the installation and with "\": "a/b/../c/x.dll" gives "a" and "a\c".
// The caller has checked the name (IsComponentName).
std::vector<std::string> FoldersOnTheWay(std::string_view name);

}  // namespace kolvex
