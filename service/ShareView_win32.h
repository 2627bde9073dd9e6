#pragma once
// What the service sees of an installation's shared directory, as the
// account it reads the share with (the computer's, in a domain): kolvexadm
// shows it to the administrator, whose own view of the share proves nothing
// about the service's.
#include "ipc/ServiceProtocol.h"
#include "update/Settings.h"

namespace kolvex {

ShareViewReply LookAtShare(const Settings& settings);

}  // namespace kolvex
