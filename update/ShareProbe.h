#pragma once
// The first touch of the shared directory, made before the start takes its
// turn and within a time-box: a server that does not answer (a laptop off
// the office network, a file server that is down) would otherwise hold the
// start for the network's time-outs at every touch, while a missing share
// only means that the installed program starts.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "update/UpdateOutcome.h"

namespace kolvex {

// The time-box when baza.set gives none, or none that can be used.
inline constexpr uint32_t kShareTimeBoxMs = 3000;

// The time-box set by SHARED_TIMEOUT of [MAIN] (whole seconds, blanks
// around them dropped): 0 means none, the system's own waits; a value that is
// no number of seconds from 0 to 3600 gives kShareTimeBoxMs.
uint32_t ShareTimeBoxMs(std::string_view setting);

// What the system said of the shared directory in time.
struct ShareReply {
  bool found = false;       // its attributes were read
  uint32_t attributes = 0;  // when found
  uint32_t error = 0;       // the system's error code when not
};

// How the start goes on: nothing when the update may go ahead (the share
// answered with a directory); otherwise the outcome without an update, the
// share left alone: ShareNotAnswering when no reply came in time,
// ShareNotFound when the directory is not there, ShareRefused for any other
// error (no right to it, a logon failure, a mapped drive gone): a share that
// cannot be read would only make every file look missing on it.
std::optional<UpdateResult> ShareVerdict(const std::optional<ShareReply>& reply);

// What the user reads, once, when the shared directory stopped answering
// during the update (ShareStopped): a warning when the installed program
// starts, the failure when there is none to start.
std::string ShareStoppedWarning();
std::string ShareStoppedFailure(const std::string& programName);

}  // namespace kolvex
