#pragma once
// The identity of a folder as the start, kolvexadm and the update service
// read it: the same for every path that leads to the folder, a different
// one for a copy of it. It names an installation to the service.
#include <windows.h>

#include <optional>
#include <string>

#include "ipc/ServiceProtocol.h"

namespace kolvex {

// The identity of an open file or folder: the 128-bit file id where the
// system gives one (Windows 8 and later), otherwise the volume's serial
// number and the 64-bit file index; nothing when the system gives neither.
std::optional<FolderIdentity> IdentityOf(HANDLE file);

// The identity of the folder at path itself, never of what a link in its
// place leads to; nothing when it cannot be opened, the system's error kept.
std::optional<FolderIdentity> FolderIdentityAt(const std::string& path);

}  // namespace kolvex
