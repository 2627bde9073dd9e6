#pragma once
// What baza.set tells the launcher: where the new versions are, and which
// files of the application besides the program follow them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/SettingsIni.h"

namespace kolvex {

inline constexpr std::string_view kSettingsFileName = "baza.set";
inline constexpr std::string_view kMainSection = "MAIN";
inline constexpr std::string_view kSharedDirKey = "SHARED_DIR";
inline constexpr std::string_view kSharedTimeoutKey = "SHARED_TIMEOUT";
inline constexpr std::string_view kReportDirKey = "REPORT_DIR";
inline constexpr std::string_view kComponentsSection = "SKLADNIKI";

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

// The entries of [SKLADNIKI], each checked; blanks around every field dropped.
ComponentList ParseComponents(const std::vector<IniEntry>& entries);

struct Settings {
  std::string sharedDir;
  std::string reportDir;  // REPORT_DIR of [MAIN] as written; empty: no start report
  ComponentList components;
  std::uint32_t shareTimeBoxMs = 0;  // SHARED_TIMEOUT, see ShareTimeBoxMs
};

// The value of SharedDir for a SHARED_DIR value as read from the settings file.
std::string SharedDirFromSetting(const std::string& value, const std::string& exeDir);

// The settings of a launcher living in exeDir, from the text of its baza.set
// (decoded to UTF-8; empty when there is no file).
Settings ParseSettings(std::string_view text, const std::string& exeDir);

// What is wrong with a refused entry, in Polish, safe for the message markup.
std::string FaultText(const RefusedEntry& refused);

// What the launcher passes over in silence in the text of a baza.set, one
// Polish sentence each: sections and keys of [MAIN] it does not know,
// repeated sections and keys (the first counts), and entries of
// [SKLADNIKI] that hold ";" (a comment sign elsewhere, a field separator
// in none of them).
std::vector<std::string> SettingsWarnings(std::string_view text);

// The Warning shown once when entries were refused: each one named, with
// what is wrong with it, in the message markup.
std::string RefusedEntriesMessage(const std::vector<RefusedEntry>& refused);

}  // namespace kolvex
