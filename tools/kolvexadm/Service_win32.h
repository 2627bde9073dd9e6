#pragma once
// kolvexadm usluga: registering an installation with the update service
// (installing the service when it is not there yet, replacing its program
// when this package brings another) and removing the registration again
// (and the service, once nothing is registered); and the service's own view
// of an installation's share, which kolvexadm sprawdz shows.
#include <cstdint>
#include <string>

#include "update/Settings.h"
#include "tools/kolvexadm/Check_win32.h"

namespace kolvex {

// Whether this process runs with the Administrators group in its token (an
// elevated prompt): registering, setting up and removing need it.
bool IsAdministrator();

CheckReport RegisterWithService(const std::string& folder);
CheckReport UnregisterFromService(const std::string& folder);

// What the service says of the installation in folder, asked as a start
// asks it: the folder's checks and the share as the service sees it, and
// whether it would update program (when one is given).
struct ServiceLook {
  enum class Kind : std::uint8_t {
    Readable,    // the folder passed, the service reads the share
    Unreadable,  // the folder passed, the service cannot read the share
    Refused,     // the service will not update the installation
    NoAnswer,    // the service cannot be asked
  } kind;
  std::string text;  // what the service said, or why it said nothing
};
ServiceLook LookThroughService(const std::string& folder, const Settings& settings, const std::string& program = {});

}  // namespace kolvex
