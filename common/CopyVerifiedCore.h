#pragma once
// The verified copy's order of checks and its reasons, apart from the system
// calls it makes, so that every threshold can be tried exactly.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kolvex {

// What the verified copy asks of the system: the probes of Probes.h, the
// copy, and the one-step replacement of the destination.
class CopySystem {
 public:
  virtual ~CopySystem() = default;

  virtual bool IsDriveReady(char letter) = 0;
  virtual bool FileExists(const std::string& path) = 0;  // a file, not a directory
  virtual int64_t GetFileSizeByName(const std::string& path) = 0;
  virtual int64_t GetFreeSpaceKB(const std::string& path) = 0;
  virtual int64_t GetFloppyFreeBytes(char letter) = 0;

  // The file operations give nothing on success and the system's text for
  // the error of the call that failed otherwise.
  // Copies from over to, overwriting to if it exists.
  virtual std::optional<std::string> Copy(const std::string& from, const std::string& to) = 0;
  // Puts from in to's place in one step, over an existing to (read-only too);
  // on failure to is left exactly as it was.
  virtual std::optional<std::string> MoveOver(const std::string& from, const std::string& to) = 0;
  // Removes a file if it is there; a failure is not reported.
  virtual void Remove(const std::string& path) noexcept = 0;
};

// Shows a failure to the user and returns when the user has read it.
using ErrorSink = std::function<void(const std::string& text)>;

// Where the copy is made before it replaces destination: beside it, so that
// the replacement is a rename within one directory.
std::string TemporaryCopyName(std::string_view destination);

// The verified copy itself (see CopyVerified.h). The destination is only
// ever replaced by a copy that has passed its checks: a copy that breaks
// off leaves the destination as it was and no temporary file behind.
bool CopyFileVerified(const std::string& source, const std::string& destination, CopySystem& system,
                      const ErrorSink& showError);

}  // namespace kolvex
