#pragma once
// A folder's owner and access list as the system gives them, read for the
// rule of ipc/FolderRights.h, and the accounts in them as administrators
// know them: shared by the service, which checks the folders it writes, and
// kolvexadm, which checks the folder it installs the service from.
#include <windows.h>

#include <optional>
#include <string>

#include "ipc/FolderRights.h"

namespace kolvex {

// The account as the administrator knows it (DOMENA\nazwa), with its SID.
std::string AccountName(const std::string& sidText);

// The account this process runs as: the system for the service, the
// administrator for kolvexadm. Whatever it may write, it writes anyway.
const std::string& OwnAccount();

// The owner and access list of a folder opened with READ_CONTROL; nothing,
// with the error kept for GetLastError, when the system cannot give them.
std::optional<FolderSecurity> SecurityOf(HANDLE folder);

}  // namespace kolvex
