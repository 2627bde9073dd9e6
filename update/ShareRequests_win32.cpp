#include "update/ShareRequests_win32.h"

#include "common/Paths.h"

namespace kolvex {

namespace {

// Thrown from a copy's progress once the work was given up on: the copy
// unwinds, closing and removing its half-written file.
struct CopyGivenUp {};

}  // namespace

ShareRequests::ShareRequests(RequestWatch& watch, const std::string& sharedDir)
    : watch_(watch), share_(JoinPath(sharedDir, "")) {}

bool ShareRequests::FileExists(const std::string& path) {
  return OnShare(path, [&] { return WindowsCopySystem::FileExists(path); });
}

int64_t ShareRequests::GetFileSizeByName(const std::string& path) {
  return OnShare(path, [&] { return WindowsCopySystem::GetFileSizeByName(path); });
}

std::optional<std::string> ShareRequests::Copy(const std::string& from, const std::string& to,
                                               const CopyProgress& progress) {
  if (!from.starts_with(share_)) return WindowsCopySystem::Copy(from, to, progress);
  const CopyProgress alive = [&](uint64_t done, uint64_t total) {
    if (!watch_.Progress(done < total)) throw CopyGivenUp{};
    if (progress) progress(done, total);
  };
  return watch_.Ask([&]() -> std::optional<std::string> {
    try {
      return WindowsCopySystem::Copy(from, to, alive);
    } catch (const CopyGivenUp&) {
      return "";  // never read: the thread ends as the request does
    }
  });
}

std::string ShareRequests::FileVersion(const std::string& path) {
  return OnShare(path, [&] { return facts_.FileVersion(path); });
}

DateTime ShareRequests::FileDate(const std::string& path) {
  return OnShare(path, [&] { return facts_.FileDate(path); });
}

bool ShareRequests::IsCompleteImage(const std::string& path) {
  return OnShare(path, [&] { return facts_.IsCompleteImage(path); });
}

}  // namespace kolvex
