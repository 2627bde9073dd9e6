#include "launcher/UpdateStage.h"

#include <cstdint>

namespace kolvex {

std::string UpdateLockName(std::string_view foldedDir) {
  // FNV-1a: stable across runs, builds and compilers, which std::hash is not.
  uint64_t hash = 14695981039346656037ull;
  for (const char c : foldedDir) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  std::string name = "Kolvex-";
  for (int shift = 60; shift >= 0; shift -= 4) name += "0123456789abcdef"[(hash >> shift) & 0xF];
  return name;
}

std::string LockWaitTooLongMessage(const std::string& programName) {
  return "Inne uruchomienie programu aktualizuje go zbyt długo: " + programName +
         "\r\rProgram nie został uruchomiony. Spróbuj ponownie za kilka minut, a jeśli sytuacja się powtórzy, "
         "powiadom administratora.";
}

}  // namespace kolvex
