#include "service/UpdateRules.h"

#include <algorithm>

#include "common/Paths.h"
#include "update/Components.h"

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

std::vector<std::string> FoldersAbove(std::string_view folder) {
  std::vector<std::string> above;
  for (std::string up = ExtractFileDir(folder), below(folder); up != below && !up.empty();
       below = up, up = ExtractFileDir(up))
    above.push_back(up);
  return above;
}

}  // namespace kolvex
