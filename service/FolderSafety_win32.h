#pragma once
// The checks the service makes of a registered installation before it
// writes there, and kolvexadm through it when registering: the folder is the
// registered one and no link, and nobody but the trusted accounts may change
// it, the folders above it or the sub-folders an update writes.
#include <optional>
#include <string>
#include <vector>

#include "launcher/ServiceProtocol.h"

namespace kolvex {

// Why the service may not write the installation in folder, in Polish; nothing when it may.
// subFolders are relative to folder (FoldersOnTheWay); those not there yet are passed over,
// as the update makes them with the folder's rights.
std::optional<std::string> FolderRefusal(const std::string& folder, const FolderIdentity& registered,
                                         const std::vector<std::string>& subFolders);

}  // namespace kolvex
