#include "service/UpdateRules.h"

#include <algorithm>

#include "common/Text.h"
#include "launcher/ServiceProtocol.h"
#include "launcher/Settings.h"
#include "launcher/UpdateTurn.h"

namespace kolvex {

namespace {

// The name's parts after "." and ".." (and parts of dots and blanks only,
// which the system reads as them) are resolved; the last one is the file.
std::vector<std::string_view> ResolvedParts(std::string_view name) {
  std::vector<std::string_view> parts;
  while (true) {
    const size_t end = std::min(name.find_first_of("\\/"), name.size());
    const std::string_view part = name.substr(0, end);
    const bool dotsOnly = part.find_first_not_of(". ") == std::string_view::npos;
    if (!dotsOnly) {
      parts.push_back(part);
    } else if (std::ranges::count(part, '.') >= 2 && !parts.empty()) {
      parts.pop_back();
    }
    if (end == name.size()) return parts;
    name.remove_prefix(end + 1);
  }
}

}  // namespace

std::vector<std::string> FoldersOnTheWay(std::string_view name) {
  const std::vector<std::string_view> parts = ResolvedParts(name);
  std::vector<std::string> folders;
  std::string folder;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    folder += (i == 0 ? "" : "\\");
    folder += parts[i];
    folders.push_back(folder);
  }
  return folders;
}

bool IsProtectedName(std::string_view name) {
  const std::vector<std::string_view> parts = ResolvedParts(name);
  if (parts.size() != 1) return false;
  return SameTextIgnoringAsciiCase(parts[0], kSettingsFileName) || SameTextIgnoringAsciiCase(parts[0], kTurnFileName) ||
         SameTextIgnoringAsciiCase(parts[0], kServiceProgram);
}

}  // namespace kolvex
