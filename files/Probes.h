#pragma once
// The rules behind the verified copy's probes (CopySystem): whether a path
// lies on a floppy drive, which root the free room is asked of, and how the
// room is counted. WindowsCopySystem asks the system itself.
//
// Sizes and free space are 64-bit: a file of 2 GiB or more, or a disk with
// more than 2 TiB free, keeps its real figure instead of wrapping into a
// small or negative one that would fail (or pass) a copy wrongly. Every
// figure that fits 32 bits is the same as a 32-bit count would give.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kolvex {

// The path lies on drive A or B: it begins with A: or B:, in either case. A
// relative path such as backup\x.exe or aktualizacje is on no drive of its own.
bool IsFloppyPath(std::string_view path);

// The root GetFreeSpaceKB asks about, from the path's first character:
//   "/"  //srv/share/dir/a.exe gives //srv/share/ (fields 3 and 4 at "/")
//   "\"  the same at backslashes: the UNC root with its closing backslash
//   "@"  nothing: the current drive
//   c    c:\ with c as it stands (prog\a.exe gives p:\)
// An empty path gives an empty root.
std::optional<std::string> FreeSpaceRoot(std::string_view path);

// c:\ for a drive letter c (case kept); nothing for "@", the current drive.
std::optional<std::string> DriveRoot(char letter);

// What GetDiskFreeSpace reports about free room, and the two ways of counting it.
struct DiskSpace {
  uint32_t sectorsPerCluster = 0;
  uint32_t bytesPerSector = 0;
  uint32_t freeClusters = 0;

  // Units of 1024 bytes: whole groups of 1024 free clusters times the cluster
  // size, so fewer than 1024 free clusters count as none.
  int64_t FreeKB() const;
  int64_t FreeBytes() const;
};

}  // namespace kolvex
