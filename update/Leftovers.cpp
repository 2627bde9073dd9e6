#include "update/Leftovers.h"

#include "common/Paths.h"

namespace kolvex {

void RemoveLeftoversOfEndedRuns(CopySystem& files, const std::string& exeDir,
                                const std::vector<Component>& components, const std::string& programName) {
  for (const Component& component : components) files.RemoveLeftovers(JoinPath(exeDir, component.name));
  files.RemoveLeftovers(JoinPath(exeDir, programName));
}

}  // namespace kolvex
