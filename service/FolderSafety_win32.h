#pragma once
// The checks the service makes of a registered installation before it
// writes there, and kolvexadm through it when registering: the folder is the
// registered one and no link, and nobody but the trusted accounts may change
// it, the folders above it or the sub-folders an update writes.
#include <optional>
#include <string>
#include <vector>

#include "ipc/ServiceProtocol.h"

namespace kolvex {

// Why the service may not write the installation in folder, registered
// with that identity, in Polish; nothing when it may. Its files are read only
// after this check.
std::optional<std::string> FolderRefusal(const std::string& folder, const FolderIdentity& registered);

// Why the service may not write the installation's sub-folders, relative
// to folder (FoldersOnTheWay); nothing when it may. Those not there yet are
// passed over, as the update makes them with the folder's rights.
std::optional<std::string> SubFolderRefusal(const std::string& folder, const std::vector<std::string>& subFolders);

}  // namespace kolvex
