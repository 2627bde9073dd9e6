#pragma once
// The [SKLADNIKI] entries of baza.set: the files of the application besides
// the program that follow the shared directory, each written
// name[,mode[,caption]], and the entries that cannot be used, with why.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "update/SettingsIni.h"

namespace kolvex {

// How the update tells an installed file from the shared one; any other mode never updates.
inline constexpr std::uint8_t kCompareByVersion = 1;  // the "FileVersion" strings
inline constexpr std::uint8_t kCompareByDate = 2;     // the last-write times

// One entry of [SKLADNIKI], written name[,mode[,caption]].
struct Component {
  std::string name;                // relative to both the installation and the shared directory
  std::uint8_t compareMode = 0;    // kCompareByVersion or kCompareByDate
  std::string caption;             // for the progress window; empty: the upper-cased file name
};

// Why an entry of [SKLADNIKI] is not used.
enum class EntryFault : std::uint8_t {
  EmptyName,
  ServerName,    // \\server\share\...
  AbsoluteName,  // \dir\... from the root of the current drive
  DriveName,     // C:...
  ClimbsOut,     // .. leading above the installation directory
  NotAFile,      // ends in a separator, "." or ".."
  TrailingDotOrBlank,  // a part ending in "." or " ", which the system drops
  DeviceName,    // CON, NUL, COM1 and the like, which name devices, not files
  BadCharacter,  // one no file name may hold
  UnknownMode,
  ServiceWayFile,  // in the per-machine way, a file that keeps the installation in the service's hands
};

struct RefusedEntry {
  std::string entry;   // key=value as written
  EntryFault fault{};
  std::string detail;  // the drive, the character or the mode at fault
};

struct ComponentList {
  std::vector<Component> components;  // in file order
  std::vector<RefusedEntry> refused;  // in file order
};

// The parts of a name relative to the installation as the system resolves
// them, either slash separating them: "." parts dropped, a ".." part (or one
// of dots and blanks, as the system drops those) taking the part before it
// away. "a/b/../c\\x.dll" gives "a", "c", "x.dll".
std::vector<std::string_view> ResolvedNameParts(std::string_view name);

// Whether name may name a component: relative, within the installation, a
// file and no device, every character one a file name may hold (the checks
// ParseComponents makes of an entry's name).
bool IsComponentName(std::string_view name);

// Whether a name relative to the installation is that of a file that keeps
// it in the update service's hands: baza.set (which chooses the service), the
// turn, the service's program. A share that could replace them could switch
// the service off, or run a program of its own as the system. In the
// per-machine way the entries of [SKLADNIKI] naming them are refused
// (EntryFault::ServiceWayFile), and so is a start asking for one.
bool IsServiceWayFile(std::string_view name);

// The entries of [SKLADNIKI], each checked; blanks around every field
// dropped. In the per-machine way (serviceWay) those naming a file that
// keeps the installation in the service's hands are refused too.
ComponentList ParseComponents(const std::vector<IniEntry>& entries, bool serviceWay = false);

// What is wrong with a refused entry, in Polish, safe for the message markup.
std::string FaultText(const RefusedEntry& refused);

// The Warning shown once when entries were refused: each one named, with
// what is wrong with it, in the message markup; past the first ten, the
// rest are only counted.
std::string RefusedEntriesMessage(const std::vector<RefusedEntry>& refused);

}  // namespace kolvex
