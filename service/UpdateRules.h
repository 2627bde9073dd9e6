#pragma once
// The folders above an installation and the sub-folders a name under it
// leads through, which the service checks before it writes there, and which
// names baza.set lists.
#include <string>
#include <string_view>
#include <vector>

#include "update/Components.h"

namespace kolvex {

// The folders a name relative to the installation leads through, as the
// system resolves it ("." stays, ".." goes up; either slash), each relative
// to the installation and with "\": "a/b/../c/x.dll" gives "a" and "a\c".
// The caller has checked the name (IsComponentName).
std::vector<std::string> FoldersOnTheWay(std::string_view name);

// Whether name is one of the files the administrator listed in [SKLADNIKI]:
// an entry that leads to the same file as the system resolves both names,
// letters compared without regard to case (SameFileName). Only such a name,
// or a program installed already, is one the service brings in from the share.
bool IsListed(std::string_view name, const std::vector<Component>& components);

// The folders above folder, the nearest first, up to its drive's root, the
// root included: "C:\a\b" gives "C:\a" and "C:\".
std::vector<std::string> FoldersAbove(std::string_view folder);

}  // namespace kolvex
