#include "launcher/Kolvex.h"

namespace kolvex {

std::string ExeDir;
std::string SharedDir;
std::string TargetName;
ComponentList Components;

}  // namespace kolvex
