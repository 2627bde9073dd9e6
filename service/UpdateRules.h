#pragma once
// What the service asks of the names it writes under an installation: the
// sub-folders a name leads through, which it checks before it writes, and
// the files no update from the share may replace there.
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

// The folders a name relative to the installation leads through, as the
// system resolves it ("." stays, ".." goes up; either slash), each relative
// to the installation and with "\": "a/b/../c/x.dll" gives "a" and "a\c".
// The caller has checked the name (IsComponentName).
std::vector<std::string> FoldersOnTheWay(std::string_view name);

// Whether a name relative to the installation is that of a file that keeps
// the installation in the service's hands: baza.set (which chooses the
// service), the turn, the service's program. A share that could replace them
// could switch the service off or run its own code as the system.
bool IsProtectedName(std::string_view name);

}  // namespace kolvex
