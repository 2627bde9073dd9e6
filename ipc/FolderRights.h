#pragma once
// Whether anybody but the trusted accounts may change a folder the service
// writes, or one above it, judged from the folder's owner and access list as
// the system gives them: accounts as SID strings, rights as access masks.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kolvex {

// The accounts the service trusts with its folders: the system,
// administrators and the system's installer, whatever else the checking
// process adds (its own account).
inline constexpr std::string_view kSystemSid = "S-1-5-18";
inline constexpr std::string_view kAdministratorsSid = "S-1-5-32-544";
inline constexpr std::string_view kTrustedInstallerSid =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// One entry of an access list; entries that only pass to what is made in the
// folder (inherit-only) give nothing on the folder itself.
struct AccessEntry {
  bool allows = true;  // an allowing entry; denying ones take nothing away from this judgement
  bool inheritOnly = false;
  std::uint32_t rights = 0;
  std::string sid;
};

struct FolderSecurity {
  std::string owner;
  std::optional<std::vector<AccessEntry>> entries;  // nothing: no access list at all, everyone may do anything
};

enum class FolderPlace : std::uint8_t {
  // The installation's folder and every sub-folder the update writes:
  // nobody else may add, change or remove anything in it, nor its rights.
  // A file the service reads as the administrator's (baza.set) is judged
  // so too: on a file the same bits write its data, append to it and
  // change its attributes.
  Written,
  // A folder above the installation's: nobody else may rename, remove or
  // replace what is in it, nor change its rights. Adding new files or
  // folders beside the installation (users may, in C:\) changes nothing of it.
  Above,
};

// The first account that may change the folder without being trusted: the
// owner (who may always rewrite the access list) or the first allowing
// entry whose rights reach beyond what the place allows. Nothing when only
// trusted accounts may.
std::optional<std::string> UntrustedWriter(const FolderSecurity& security, FolderPlace place,
                                           std::span<const std::string> trusted);

}  // namespace kolvex
