// Apart from Kolvex_win32.cpp, so that the portable update, tested on the
// host, links with the run's strings.
#include "launcher/Kolvex.h"

namespace kolvex {

std::string ExeDir;
std::string SharedDir;
std::string TargetName;
ComponentList Components;
std::string ReportDir;
uint32_t SharedTimeBoxMs = 0;

}  // namespace kolvex
