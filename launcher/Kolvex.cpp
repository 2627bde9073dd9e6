#include "launcher/Kolvex.h"

#include "common/Global.h"

namespace kolvex {

std::string ExeDir;
std::string SharedDir;
std::string TargetName;

std::string SharedDirFromSetting(const std::string& value, const std::string& exeDir) {
  return value.empty() ? JoinPath(exeDir, "SHARED") : value;
}

}  // namespace kolvex
