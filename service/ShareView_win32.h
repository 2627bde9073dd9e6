#pragma once
// What the service reads where a user may hold it up: baza.set (a reader's
// oplock delays the next open until it is broken) and the installation's
// shared directory, as the account the service reads the share with (the
// computer's, in a domain). Each within its time-box; kolvexadm shows the
// share's view to the administrator, whose own view proves nothing about the
// service's.
#include <optional>
#include <string>

#include "ipc/ServiceProtocol.h"
#include "update/Settings.h"

namespace kolvex {

// The installation's settings read within the share's default time-box (its
// own is in them); nothing when the reading did not end in it.
std::optional<Settings> ReadSettingsWithin(const std::string& path);
// Why the service did not go on without them.
std::string SettingsNotInTime();

ShareViewReply LookAtShare(const Settings& settings);

}  // namespace kolvex
