#pragma once
#include <string>

namespace kolvex {

// Full path of the running program, as the system reports it (any length).
std::string ModuleFileName();

}  // namespace kolvex
