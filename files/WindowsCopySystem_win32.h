#pragma once
// The verified copy's system calls on Windows: the drive, space and size
// probes, and CopyFileExW and MoveFileExW for the copy and its replacement of
// the target, each tried again while the file is held only for a moment.
#include "files/CopyVerified.h"

namespace kolvex {

class WindowsCopySystem : public CopySystem {
 public:
  bool IsDriveReady(char letter) override;
  bool FileExists(const std::string& path) override;
  int64_t GetFileSizeByName(const std::string& path) override;
  int64_t GetFreeSpaceKB(const std::string& path) override;
  int64_t GetFloppyFreeBytes(char letter) override;
  std::optional<std::string> Copy(const std::string& from, const std::string& to,
                                  const CopyProgress& progress) override;
  std::optional<std::string> MoveOver(const std::string& from, const std::string& to) override;
  bool IsHeldOpen(const std::string& path) override;
  void Remove(const std::string& path) noexcept override;
  void RemoveLeftovers(const std::string& destination) noexcept override;
  uint32_t ProcessId() override;
  void CreateDirectories(const std::string& base, const std::string& name) override;

 protected:
  // Flags for opening the source of a copy (FILE_FLAG_OPEN_REPARSE_POINT
  // where a link must not be followed); none by default.
  virtual unsigned long SourceFlags(const std::string& /*from*/) { return 0; }
};

}  // namespace kolvex
