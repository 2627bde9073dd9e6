#pragma once
// The installations the administrator registered with the service, where
// only administrators and the system write: one key per installation under
// HKLM\SOFTWARE\Kolvex\Usluga\Instalacje, named by its folder's identity,
// with the folder's path as the administrator gave it.
#include <optional>
#include <string>
#include <vector>

#include "ipc/ServiceProtocol.h"

namespace kolvex {

struct Registration {
  FolderIdentity folder;
  std::string path;
};

// The registered path of the installation whose folder has this identity.
std::optional<std::string> RegisteredPath(const FolderIdentity& folder);

// Every registration; those whose key is not a registration's are passed over.
std::vector<Registration> Registrations();

// Adds or replaces, and removes, a registration; false on failure, the
// system's error code kept for GetLastError.
bool Register(const Registration& registration);
bool Unregister(const FolderIdentity& folder);

// Removes the registrations' key, and the keys above it up to
// SOFTWARE\Kolvex, each while it holds nothing: once the last installation
// is unregistered, nothing of the service is left in the registry.
void RemoveEmptyRegistrationKeys();

}  // namespace kolvex
