// The rules of the verified copy's probes that need no system: whether a
// path lies on a floppy drive, which root the free room is asked of, and
// how that room is counted.
#include "files/Probes.h"

#include <limits>

#include "common/Text.h"

namespace kolvex {

namespace {

// sep sep field3 sep field4 sep: the share root of a network path.
std::string NetworkRoot(std::string_view path, char separator) {
  std::string root(2, separator);
  root += ExtractNthField(path, 3, separator);
  root += separator;
  root += ExtractNthField(path, 4, separator);
  root += separator;
  return root;
}

int64_t Times(uint64_t a, uint64_t b) {
  constexpr uint64_t kMax = std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(a != 0 && b > kMax / a ? kMax : a * b);
}

}  // namespace

bool IsFloppyPath(std::string_view path) {
  // Only a and b upper-case to A and B in any locale, so this is the
  // locale-aware test of the drive letter without asking the system.
  const char first = GetCharAt(path, 1);
  return (first == 'a' || first == 'A' || first == 'b' || first == 'B') && GetCharAt(path, 2) == ':';
}

std::optional<std::string> FreeSpaceRoot(std::string_view path) {
  switch (const char first = GetCharAt(path, 1)) {
    case '/':
    case '\\':
      return NetworkRoot(path, first);
    case '\0':
      return std::string();
    default:
      return DriveRoot(first);
  }
}

std::optional<std::string> DriveRoot(char letter) {
  if (letter == '@') return std::nullopt;
  return std::string{letter, ':', '\\'};
}

int64_t DiskSpace::FreeKB() const { return Times(uint64_t{sectorsPerCluster} * bytesPerSector, freeClusters >> 10); }

int64_t DiskSpace::FreeBytes() const { return Times(uint64_t{sectorsPerCluster} * bytesPerSector, freeClusters); }

}  // namespace kolvex
