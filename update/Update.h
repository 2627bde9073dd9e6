#pragma once
// The update of an installation, as a library its caller drives: the caller
// hands it what it works with (UpdateEnvironment) and gets the outcome back
// as a value. A start passes the Windows copy system and file facts, the
// progress window and the update log; a process with no window or console
// passes sinks of its own. Nothing here shows anything or waits for a user.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/CopyVerified.h"
#include "files/FileFacts.h"
#include "files/Signature.h"
#include "update/Components.h"
#include "update/Installation.h"
#include "update/RefusalMemory.h"
#include "update/UpdateOutcome.h"

namespace kolvex {

// The old version logged for a file that was not installed.
inline constexpr std::string_view kNoInstalledVersion = "brak";

// What the update tells as it goes. A start shows it in the progress
// window (ProgressWindow_win32.h); another caller may record it or pass it on.
class UpdateProgress {
 public:
  // A listed file is about to be brought in: its name relative to the
  // installation, and its caption from [SKLADNIKI] (empty when none was
  // given). Told once per file, and not for the program itself.
  virtual void Refreshing(const std::string& name, const std::string& caption) = 0;
  // The program itself is about to be brought in (its name relative to the
  // installation): most programs copy in a moment, so a window shows it
  // only when its copy lasts.
  virtual void RefreshingProgram(const std::string& name) = 0;
  // How far the copy from the share of the file being brought in has come,
  // in bytes. Told from inside the copy, between its chunks: it must not raise.
  virtual void Copying(uint64_t done, uint64_t total) noexcept = 0;
  // Another start of the installation has held its turn for a while (see
  // UpdateTurn); programName as the start was given it.
  virtual void WaitingForTurn(const std::string& programName) = 0;

 protected:
  ~UpdateProgress() = default;
};

// Where the update records each file it brought in. A start appends the
// line to the update log (UpdateLog_win32.h).
class UpdateRecord {
 public:
  // One file brought in: fileName as the update was given it (empty for the
  // program named after the installation's target), update as compared.
  // Raises when it cannot record: the run then stops, the file in place.
  virtual void Refreshed(const std::string& fileName, const ComponentUpdate& update) = 0;
  // One listed file left as it was for this start, as another program holds
  // it open (kWaitingReason); raises as Refreshed does.
  virtual void Waiting(const std::string& fileName, const ComponentUpdate& update) = 0;

 protected:
  ~UpdateRecord() = default;
};

// What the update works with, all of it the caller's.
struct UpdateEnvironment {
  CopySystem& files;            // the verified copy's calls, and whether a file exists
  FileFacts& facts;             // versions, dates and the image check the decision reads
  SignatureReader& signatures;  // the signatures of the copies, judged by the installation's signers
  UpdateProgress& progress;     // told what is brought in and how far its copy is
  UpdateRecord& record;         // told of each file brought in
  // Share files refused for their signature: one remembered is skipped (and
  // reported refused again) until it changes. None: each start checks again.
  RefusalMemory* refusals = nullptr;
  // The program itself waits too, as a listed file does, when another
  // program holds it open: in the per-machine way no user stops the others.
  bool programWaits = false;
};

// Refreshes one component of the installation, the shared directory's
// copy of it over the installed one, and says what came of it: NothingToDo,
// Updated with its one update, or Failed with the message that says why (a
// failed copy's reason; a shared file replaced while it was copied is
// decided on afresh, and one that keeps changing fails too). A copy of a
// Windows program that the installation's signers refuse is not installed,
// nor logged: outcome.refused says why, and the rest goes on. A listed file
// (tell set) that another program holds open waits for a later start:
// outcome.waiting names it, the record is told, and the rest goes on. The
// component is fileName, or without one the installation's target name
// without its first character; ext, when given, replaces its extension and
// chooses its backup (BackupName). The progress is told of it as of a
// listed file when tell is set, as of the program otherwise. The caller holds the installation's turn (UpdateTurn) and leaves it
// before it shows the user anything. Raises only what the record raises.
UpdateOutcome UpdateComponent(const UpdateEnvironment& environment, const Installation& installation,
                              const std::string& fileName, const std::string& ext, uint8_t compareMode,
                              const std::string& caption, bool tell);

// The listed components in file order, then the program (the installation's
// target) as always: after its DLLs and help, so that a run stopped by a
// failed copy never starts a new program with old components. Listed too,
// the program is done once, and a listed turn file never. The first failure
// ends it: what was refreshed before it stays.
UpdateOutcome UpdateInstallation(const UpdateEnvironment& environment, const Installation& installation,
                                 const std::vector<Component>& components);

// Whether UpdateInstallation would bring in any file, decided as it decides
// and changing nothing: for a start that may not write the installation.
bool InstallationDiffers(CopySystem& files, FileFacts& facts, const Installation& installation,
                         const std::vector<Component>& components);

// The decision for update.src and update.dst; fills the Old/New values of the
// mode. A shared program without version information that is not whole,
// where the installed one has a version, is a copy to the share still under
// way or broken off: it is not taken.
bool NeedsUpdate(CopySystem& files, FileFacts& facts, uint8_t compareMode, ComponentUpdate& update);

}  // namespace kolvex
