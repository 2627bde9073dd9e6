#pragma once
// The share's first question on Windows, within its time-box.
#include <cstdint>
#include <optional>
#include <string>

#include "update/ShareProbe.h"

namespace kolvex {

// Asks the system for the attributes of dir, giving up after limitMs
// (0: no limit), from a thread of its own.
std::optional<ShareReply> AskShare(const std::string& dir, uint32_t limitMs);

// The share's first look, asked within limitMs: the outcome of an update
// that leaves the share alone (ShareVerdict), with the system's text where
// it gave one; nothing when the update may go ahead.
std::optional<UpdateOutcome> OutcomeWithoutShare(const std::string& dir, uint32_t limitMs);

}  // namespace kolvex
