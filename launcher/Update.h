#pragma once
// The component update: refreshes one installed file from the shared
// directory when the two differ, keeping a backup and logging the change.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/DateTime.h"
#include "files/CopyVerified.h"
#include "launcher/Components.h"
#include "launcher/Installation.h"
#include "launcher/UpdateOutcome.h"

namespace kolvex {

// The old version logged for a file that was not installed.
inline constexpr std::string_view kNoInstalledVersion = "brak";

// What the update needs from the system. The Win32 layer has the real one;
// tests put fakes in its place.
class UpdateSystem {
 public:
  // The verified copy's calls: the update copies through them and asks them
  // whether a file exists.
  virtual CopySystem& Files() = 0;
  // "FileVersion" of the file's version information; empty when it has none.
  virtual std::string FileVersion(const std::string& path) const = 0;
  // Last-write time in local time, at the two seconds of packed date-time stamps.
  virtual DateTime FileDate(const std::string& path) const = 0;
  // Upper case by the rules of the user's locale.
  virtual std::string UpperCase(const std::string& text) const = 0;
  virtual void ShowProgress(const std::string& text) = 0;
  // Creates the directories a component's name leads through (all of it but
  // its last part) below base, level by level; those there already stay. A
  // level that cannot be made is left for the copy into it to report.
  virtual void CreateDirectories(const std::string& base, const std::string& name) = 0;
  // Whether a program file is whole (see IsCompleteExecutableImage); a file
  // that cannot be read counts as whole, for the copy to report it.
  virtual bool IsCompleteImage(const std::string& path) const = 0;
  // The signatures of the copies, checked by the installation's signers.
  virtual SignatureReader& Signatures() = 0;
  // Appends the line for a refreshed component to the log in exeDir (see
  // WriteUpdateLog); raises when the log cannot be opened.
  virtual void WriteLog(const std::string& fileName, uint8_t compareMode, const ComponentUpdate& update,
                        const std::string& exeDir) = 0;

 protected:
  ~UpdateSystem() = default;
};

// Refreshes one component of the installation, the shared directory's
// copy of it over the installed one, and says what came of it: NothingToDo,
// Updated with its one update, or Failed with the message the user is to be
// shown (a failed copy's reason; a shared file replaced while it was copied
// is decided on afresh, and one that keeps changing fails too). A copy of a
// Windows program that the installation's signers refuse is not installed,
// nor logged: outcome.refused says why, and the rest goes on. The
// component is fileName, or without one the installation's target name
// without its first character; ext, when given, replaces its extension and
// chooses its backup (BackupName). Nothing is shown here: the caller holds
// the installation's turn (UpdateTurn) and leaves it first. Raises only what
// the log raises.
UpdateOutcome UpdateComponent(UpdateSystem& system, const Installation& installation, const std::string& fileName,
                              const std::string& ext, uint8_t compareMode, const std::string& caption, bool showForm);

// The listed components in file order, then the program (the installation's
// target) as always: after its DLLs and help, so that a run stopped by a
// failed copy never starts a new program with old components. Listed too,
// the program is done once. The first failure ends it: what was refreshed
// before it stays.
UpdateOutcome UpdateInstallation(UpdateSystem& system, const Installation& installation,
                                 const std::vector<Component>& components);

// The decision for update.src and update.dst; fills the Old/New values of the
// mode. A shared program without version information that is not whole,
// where the installed one has a version, is a copy to the share still under
// way or broken off: it is not taken.
bool NeedsUpdate(UpdateSystem& system, uint8_t compareMode, ComponentUpdate& update);

}  // namespace kolvex
