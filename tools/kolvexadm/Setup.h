#pragma once
// kolvexadm zainstaluj and odinstaluj: the rules of setting a workstation up
// from the share and of taking the set-up away again, apart from the
// system's calls (Setup_win32.cpp), so that deployment tools can count on
// them: which files come from the share and which stay, what baza.set says,
// what is in the way, which files the removal takes, and the exit codes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/DateTime.h"
#include "update/Components.h"

namespace kolvex {

// The exit codes a deployment tool reads. 0 also when there was nothing to
// do; each refusal its own, and none of them leaves anything half-made.
enum SetupCode : int {
  kSetupDone = 0,
  kSetupBadArguments = 3,         // as for the other commands of the tool
  kSetupShareUnreachable = 10,    // no shared directory, or it does not answer
  kSetupFileMissing = 11,         // a file the set-up needs is not on the share
  kSetupNoRights = 12,            // not an administrator, or the folder cannot be written
  kSetupRefusedBySignature = 13,  // SIGNED_BY refuses a file of the share
  kSetupInTheWay = 14,            // the folder holds another program or installation
  kSetupFailed = 15,              // a copy or a write failed: what was made is taken away again
  kSetupInUse = 16,               // odinstaluj: a file of the installation is in use
};

// The template of baza.set the administrator keeps on the share.
inline constexpr std::string_view kSettingsTemplateName = "baza-wzor.set";
// The set-up's own log, in the installation's folder.
inline constexpr std::string_view kSetupLogName = "kolvex-instalacja.log";
inline constexpr std::string_view kLauncherName = "Kolvex.exe";

// What the administrator asked for.
struct SetupRequest {
  std::string share;        // the shared directory the updates come from
  std::string folder;       // the installation's folder on this computer
  std::string program;      // the program's file name, relative to both
  std::string name;         // the shortcuts' and the entry's name
  bool perMachine = false;  // /usluga: the update service updates it
  bool desktop = false;     // /pulpit: a shortcut on the common desktop too
};

// The request from the command's arguments after "zainstaluj":
//   SHARE FOLDER PROGRAM [/nazwa NAME] [/usluga] [/pulpit]
// switches in any order and case; without a name, the program's file name
// without its extension. Nothing, with failure set, when they do not make one.
std::optional<SetupRequest> ParseSetupArguments(const std::vector<std::string>& args, std::string& failure);

// The files the set-up brings, in the order it brings them: the launcher,
// the listed components (the program, the turn file and the launcher only
// once), the program last, as an update does. Kolvex.exe and the program
// compared by version.
std::vector<Component> SetupFiles(const std::vector<Component>& components, const std::string& program);

// What the set-up does with one file: bring it from the share, or leave it
// as it is the share's own, or leave it as an update already brought a newer
// one (the share's older file never replaces it).
enum class SetupStep : std::uint8_t { Copy, Same, KeepNewer };

// A file as found in the folder and on the share, by its mode's measure.
struct FileLook {
  bool installed = false;
  std::string installedVersion{}, sharedVersion{};
  DateTime installedDate{}, sharedDate{};
};
SetupStep StepFor(std::uint8_t compareMode, const FileLook& look);

// baza.set from the administrator's template (decoded to UTF-8; empty for
// none): the first [MAIN] gets SHARED_DIR set to the share and, in the
// per-machine way, AKTUALIZACJA=usluga (in today's way no AKTUALIZACJA); the
// rest as written. CR LF line ends.
std::string FillSettingsTemplate(std::string_view templateText, std::string_view sharedDir, bool perMachine);

// Whether a folder is another program's rather than this installation's:
// its baza.set names another shared directory (installedShare, as written;
// none without a baza.set), or it holds a program (.exe) the set-up would
// not put there. fileNames: the names in the folder itself.
bool IsInTheWay(const std::vector<std::string>& fileNames, const std::optional<std::string>& installedShare,
                std::string_view share, const std::vector<Component>& files);

// The relative names of what the set-up and the updates put in the folder:
// baza.set, the set-up's log, the update log, the turn file, each file of
// files and its backup.
std::vector<std::string> InstallationFileNames(const std::vector<Component>& files);
// Whether entry (a name relative to the folder) is one of names, or a
// temporary copy or moved-aside file an update left of one.
bool IsInstallationFile(std::string_view entry, const std::vector<std::string>& names);

// The "Programs and Features" entry's key for the folder (its full path,
// upper-cased): one per installation, the same at every run.
std::string UninstallKeyName(std::string_view upperCasedFolder);

// The command line that starts program from the shortcut's Kolvex.exe.
std::string QuotedArgument(std::string_view argument);

}  // namespace kolvex
