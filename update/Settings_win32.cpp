#include "update/Settings_win32.h"

#include <optional>

#include "common/Paths.h"
#include "common/TextDecode.h"
#include "common/win32/Files.h"
#include "common/win32/Utf.h"

namespace kolvex {

Settings ReadSettings(const std::string& exeDir) {
  // Read by the launcher itself: the system's profile reader knows no UTF-8
  // and returns only as much of a value as a buffer sized beforehand holds.
  const std::optional<std::string> bytes = ReadWholeFile(JoinPath(exeDir, kSettingsFileName));
  return ParseSettings(bytes ? DecodeText(*bytes, FromAnsi) : std::string(), exeDir);
}

}  // namespace kolvex
