#pragma once
// The verified copy's order of checks and its reasons, apart from the system
// calls it makes, so that every threshold can be tried exactly.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kolvex {

// How far a copy has come: bytes copied of the file's total. Told from inside
// the copy, between the system's chunks: it must not raise.
using CopyProgress = std::function<void(uint64_t done, uint64_t total)>;

// What the verified copy asks of the system: the probes (see Probes.h for
// the roots they ask about), the copy, and the one-step replacement of the
// destination. Each answer is read fresh from the system.
class CopySystem {
 public:
  virtual ~CopySystem() = default;

  // The drive of a letter (either case) answers a size query, without the
  // system's "no disk" prompt. Raises EConvertError for anything but a letter.
  virtual bool IsDriveReady(char letter) = 0;
  // A file found by name; a directory of that name counts as missing.
  virtual bool FileExists(const std::string& path) = 0;
  // Size in bytes of a file that can be opened for reading while sharing only
  // reading; -1 otherwise (missing, a directory, or open for writing elsewhere).
  virtual int64_t GetFileSizeByName(const std::string& path) = 0;
  // Free space at the path's root (see FreeSpaceRoot) in units of 1024 bytes,
  // as DiskSpace::FreeKB counts it; -1 when the system cannot answer.
  virtual int64_t GetFreeSpaceKB(const std::string& path) = 0;
  // Free bytes on a drive (see DriveRoot); -1 when the system cannot answer.
  virtual int64_t GetFloppyFreeBytes(char letter) = 0;

  // The file operations give nothing on success and the system's text for
  // the error of the call that failed otherwise.
  // Copies from to a new file to, refused when to is there already (so that
  // nothing is ever written through a file or link someone put there),
  // telling progress (when set) how far it has come.
  virtual std::optional<std::string> Copy(const std::string& from, const std::string& to,
                                          const CopyProgress& progress) = 0;
  // Puts from in to's place in one step, over an existing to (read-only too);
  // on failure to is left exactly as it was. A to that the system refuses to
  // replace but lets be renamed (a running program, a library a running
  // program has loaded) is first moved aside (MovedAsideName): the processes
  // that run it keep it under that name until they end.
  virtual std::optional<std::string> MoveOver(const std::string& from, const std::string& to) = 0;
  // Whether another program has the file open so that it can be neither
  // replaced nor renamed (a file that is only running is not held).
  virtual bool IsHeldOpen(const std::string& path) = 0;
  // Removes a file if it is there; a failure is not reported.
  virtual void Remove(const std::string& path) noexcept = 0;
  // Removes the temporary copies and moved-aside files for destination that
  // runs which have ended left behind (LeftoverOwner), or puts a moved-aside
  // file back where the destination stands empty (FateOfLeftover); a
  // failure (a file still running) is not reported.
  virtual void RemoveLeftovers(const std::string& destination) noexcept = 0;
  // Tells this run's temporary copies apart from those of other runs.
  virtual uint32_t ProcessId() = 0;
  // Creates the directories a name relative to base leads through (all of
  // it but its last part), level by level; those there already stay. A
  // level that cannot be made is left for the copy into it to report.
  virtual void CreateDirectories(const std::string& base, const std::string& name) = 0;
};

// Receives the message of a failed copy; the caller decides whether, when
// and where it is shown.
using ErrorSink = std::function<void(const std::string& text)>;

// Says whether the finished copy (at the path given) may replace the
// destination; a copy refused is removed and nothing is shown.
using CopyAcceptance = std::function<bool(const std::string& copy)>;

enum class CopyResult {
  Copied,   // the destination holds the copy
  Failed,   // the error sink was given why; the destination is as it was
  Refused,  // the acceptance said no; the destination is as it was
};

// Where one run (processId) makes its copy before it replaces destination:
// beside it, so that the replacement is a rename within one directory, and
// a name of its own, so that runs side by side never touch each other's.
std::string TemporaryCopyName(std::string_view destination, uint32_t processId);

// Where one run (processId) puts the installed destination when it cannot
// be replaced because it runs: beside it, under a name of the run's own.
std::string MovedAsideName(std::string_view destination, uint32_t processId);

// Whether a leftover's name (see LeftoverOwner) is one MovedAsideName gives.
bool IsMovedAsideName(std::string_view entryName);

// A pattern for a directory search that matches every name TemporaryCopyName
// and MovedAsideName give for destination (and others: see LeftoverOwner).
std::string LeftoverPattern(std::string_view destination);

// The run (its process id) that made entryName (a bare file name) as a
// temporary copy or a moved-aside file for the file named destinationName;
// nothing for any other name.
std::optional<uint32_t> LeftoverOwner(std::string_view destinationName, std::string_view entryName);

// The verified copy itself. The destination is only ever replaced by a copy
// that has passed its checks (and the acceptance, when one is given): a copy
// that breaks off leaves the destination as it was and no temporary file
// behind. What runs that have ended left for the same destination is
// removed first (RemoveLeftovers).
// progress, when set, is told how far the copy from source has come.
CopyResult CopyFileVerified(const std::string& source, const std::string& destination, CopySystem& system,
                            const ErrorSink& failure, const CopyAcceptance& accept = {},
                            const CopyProgress& progress = {});

}  // namespace kolvex
