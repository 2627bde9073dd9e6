#include "service/UpdateRules.h"

#include <algorithm>

#include "common/Paths.h"

namespace kolvex {

std::vector<std::string> FoldersOnTheWay(std::string_view name) {
  const std::vector<std::string_view> parts = ResolvedNameParts(name);
  std::vector<std::string> folders;
  std::string folder;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    folder += (i == 0 ? "" : "\\");
    folder += parts[i];
    folders.push_back(folder);
  }
  return folders;
}

bool IsListed(std::string_view name, const std::vector<Component>& components) {
  const std::vector<std::string_view> parts = ResolvedNameParts(name);
  return std::ranges::any_of(components, [&parts](const Component& component) {
    return std::ranges::equal(ResolvedNameParts(component.name), parts, SameFileName);
  });
}

}  // namespace kolvex
