#pragma once
// The share's first question on Windows, within its time-box.
#include <cstdint>
#include <optional>
#include <string>

#include "launcher/ShareProbe.h"

namespace kolvex {

// Asks the system for the attributes of dir, giving up after limitMs
// (0: no limit), from a thread of its own.
std::optional<ShareReply> AskShare(const std::string& dir, uint32_t limitMs);

}  // namespace kolvex
