#pragma once
// The checks the service makes of a registered installation before it
// writes there, and kolvexadm through it when registering: the folder is the
// registered one and no link, and nobody but the trusted accounts may change
// it, the folders above it or the sub-folders an update writes.
#include <optional>
#include <string>
#include <string_view>
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

// Why the service may not read the installation's baza.set in folder: it is
// no plain file, or someone untrusted owns it or may change it (its owner
// may always rewrite its access list). Nothing when it may, or when there is
// none. Checked before the file is read.
std::optional<std::string> SettingsFileRefusal(const std::string& folder);

// Why the service will not bring program (relative to folder) in as an
// installed program: nothing is installed under that name, or it is a link
// or a folder. The folders on its way are SubFolderRefusal's.
std::optional<std::string> InstalledProgramRefusal(const std::string& folder, const std::string& program);

// Why the service may not read name (relative to the shared directory) from
// sharedDir: one of its parts below sharedDir (a folder, the file) is a link;
// each is opened without following one. Links at or above sharedDir (a DFS
// namespace, a mapped drive) are the administrator's choice and followed.
std::optional<std::string> ShareLinkRefusal(const std::string& sharedDir, std::string_view name);

// For a shared directory on this computer (a local drive, or a share of
// this computer): why it is no safe source, checked as an installation's
// folders are (the folder, those above it, its sub-folders to be read).
// Nothing for a shared directory on another computer.
std::optional<std::string> LocalShareRefusal(const std::string& sharedDir, const std::vector<std::string>& subFolders);

}  // namespace kolvex
