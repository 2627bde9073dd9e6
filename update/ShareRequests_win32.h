#pragma once
// The system's copy and file facts for an update that runs as bounded work
// (common/win32/TimeBox.h): each call that reaches into the shared directory
// is made as one request of the work's watch, so that a share that stops
// answering half-way is given up on within its time-box; the installation's
// own files are the system's as they are. A start and the update service
// both update this way.
#include <string>

#include "common/win32/TimeBox.h"
#include "files/FileFacts_win32.h"
#include "files/WindowsCopySystem_win32.h"

namespace kolvex {

class ShareRequests : public WindowsCopySystem, public FileFacts {
 public:
  ShareRequests(RequestWatch& watch, const std::string& sharedDir);

  bool FileExists(const std::string& path) override;
  int64_t GetFileSizeByName(const std::string& path) override;
  // Each piece that comes is a sign of life; once the last has come, what is
  // left (the flush of the copy) is this computer's work, not timed. A copy
  // given up on stops at its next piece and removes what it wrote.
  std::optional<std::string> Copy(const std::string& from, const std::string& to,
                                  const CopyProgress& progress) override;

  std::string FileVersion(const std::string& path) override;
  DateTime FileDate(const std::string& path) override;
  bool IsCompleteImage(const std::string& path) override;

 private:
  template <typename Call>
  auto OnShare(const std::string& path, Call call) {
    return path.starts_with(share_) ? watch_.Ask(call) : call();
  }

  RequestWatch& watch_;
  const std::string share_;  // the shared directory with its separator: where each of its paths begins
  WindowsFileFacts facts_;
};

}  // namespace kolvex
