#pragma once
// The component update: refreshes one installed file from the shared
// directory when the two differ, keeping a backup and logging the change.
#include <cstdint>
#include <string>

#include "common/CopyVerifiedCore.h"
#include "common/DateTime.h"

namespace kolvex {

// How UpdateComponent tells the two files apart; any other mode never updates.
constexpr uint8_t kCompareByVersion = 1;  // the "FileVersion" strings
constexpr uint8_t kCompareByDate = 2;     // the last-write times

// The values of one UpdateComponent call, from the resolved name to what the
// comparison found; the log line is made of them.
// Each starts empty, so that a designated initializer may leave it out.
struct ComponentUpdate {
  std::string name{};                      // relative to both directories; the log writes its file-name part
  std::string src{};                       // SharedDir\name: the new version
  std::string dst{};                       // ExeDir\name: the installed version
  std::string oldVersion{}, newVersion{};  // kCompareByVersion; "brak" when there was no installed file
  DateTime oldDate{}, newDate{};           // kCompareByDate; day 0 when there was no installed file
};

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
  // Tells the user of a failure (a failed copy's too) in the message window;
  // returns when it was read.
  virtual void ShowMessage(const std::string& text) = 0;
  // Appends the line for a refreshed component; raises when the log cannot be opened.
  virtual void WriteLog(const std::string& fileName, uint8_t compareMode, const ComponentUpdate& update) = 0;

 protected:
  ~UpdateSystem() = default;
};

// The system itself (Win32 layer only).
UpdateSystem& TheUpdateSystem();

// Raises EAbort after a failed copy (already shown to the user). A shared
// file replaced while it was copied is decided on afresh; one that keeps
// changing is reported and ends the run like a failed copy. The caller
// holds the installation's update lock (UpdateStage).
void UpdateComponent(UpdateSystem& system, const std::string& fileName, const std::string& ext, uint8_t compareMode,
                     const std::string& caption, bool showForm);
// The same with the system itself (Win32 layer only).
void UpdateComponent(const std::string& fileName, const std::string& ext, uint8_t compareMode,
                     const std::string& caption, bool showForm);

// The name of the component UpdateComponent refreshes for these arguments.
std::string ComponentName(const std::string& fileName, const std::string& ext);

// The decision for update.src and update.dst; fills the Old/New values of the
// mode. A shared program without version information that is not whole,
// where the installed one has a version, is a copy to the share still under
// way or broken off: it is not taken.
bool NeedsUpdate(UpdateSystem& system, uint8_t compareMode, ComponentUpdate& update);

// Where the installed file is kept before it is replaced, chosen by the
// extension given to UpdateComponent; empty when no backup is made.
std::string BackupName(const std::string& dst, const std::string& ext);

}  // namespace kolvex
