#pragma once
// kolvexadm zainstaluj and odinstaluj on Windows: one workstation set up
// from the share (the files by the update's own verified copy, baza.set, the
// folder's rights, the registration with the service, the shortcuts, the
// "Programs and Features" entry), and all of it taken away again.
#include <string>
#include <string_view>

#include "tools/kolvexadm/Setup.h"

namespace kolvex {

// Where the commands tell what they do, line by line, as they do it.
using SetupSay = void (*)(std::string_view text);

// Sets the workstation up as asked, or repairs it; a SetupCode.
int SetUpWorkstation(const SetupRequest& request, SetupSay say);

// Removes what the set-up of the installation in folder made; a SetupCode.
int RemoveWorkstation(const std::string& folder, SetupSay say);

}  // namespace kolvex
