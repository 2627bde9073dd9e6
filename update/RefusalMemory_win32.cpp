#include "update/RefusalMemory_win32.h"

#include <windows.h>

#include "common/Paths.h"
#include "common/win32/Files.h"
#include "files/CopyVerified.h"
#include "update/InstallationFiles.h"

namespace kolvex {

RefusalMemory ReadRefusalMemory(const std::string& exeDir) {
  const std::optional<std::string> bytes = ReadWholeFile(LongPathForm(JoinPath(exeDir, kRefusalMemoryName)));
  return bytes ? RefusalMemory::Parse(*bytes) : RefusalMemory();
}

void KeepRefusalMemory(const std::string& exeDir, const RefusalMemory& memory) noexcept {
  if (!memory.Changed()) return;
  try {
    const std::string path = JoinPath(exeDir, kRefusalMemoryName);
    ReplaceFileWhole(path, TemporaryCopyName(path, GetCurrentProcessId()), memory.Format());
  } catch (...) {
    // Only a copy more on the next start.
  }
}

}  // namespace kolvex
