#include "ipc/FolderRights.h"

#include <algorithm>

namespace kolvex {

namespace {

// The access rights as Windows numbers them (winnt.h): a portable judgement
// of masks the system gave.
constexpr std::uint32_t kAddFile = 0x0002;
constexpr std::uint32_t kAddSubdirectory = 0x0004;
constexpr std::uint32_t kWriteExtendedAttributes = 0x0010;
constexpr std::uint32_t kDeleteChild = 0x0040;
constexpr std::uint32_t kWriteAttributes = 0x0100;
constexpr std::uint32_t kDelete = 0x00010000;
constexpr std::uint32_t kWriteDac = 0x00040000;
constexpr std::uint32_t kWriteOwner = 0x00080000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;

constexpr std::uint32_t kChangesWhatIsBelow = kDelete | kDeleteChild | kWriteDac | kWriteOwner | kGenericAll;
constexpr std::uint32_t kChangesAnything =
    kChangesWhatIsBelow | kAddFile | kAddSubdirectory | kWriteExtendedAttributes | kWriteAttributes | kGenericWrite;

constexpr std::string_view kEveryoneSid = "S-1-1-0";

}  // namespace

std::optional<std::string> UntrustedWriter(const FolderSecurity& security, FolderPlace place,
                                           std::span<const std::string> trusted) {
  const auto isTrusted = [trusted](std::string_view sid) {
    return sid == kSystemSid || sid == kAdministratorsSid || sid == kTrustedInstallerSid ||
           std::ranges::find(trusted, sid) != trusted.end();
  };
  if (!isTrusted(security.owner)) return security.owner;
  if (!security.entries) return std::string(kEveryoneSid);
  const std::uint32_t changes = place == FolderPlace::Written ? kChangesAnything : kChangesWhatIsBelow;
  for (const AccessEntry& entry : *security.entries) {
    if (entry.allows && !entry.inheritOnly && (entry.rights & changes) != 0 && !isTrusted(entry.sid)) return entry.sid;
  }
  return std::nullopt;
}

}  // namespace kolvex
