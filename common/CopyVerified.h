#pragma once
// Copies one file over another and makes sure the copy arrived; every
// failure is explained to the user in the message window.
#include <string>

#include "common/CopyVerifiedCore.h"

namespace kolvex {

// Copied when destination now holds a copy of source of the same size that
// accept (if given) let through; Failed after a failure that has already
// been shown to the user; Refused when accept said no.
CopyResult CopyFileVerified(const std::string& source, const std::string& destination,
                            const CopyAcceptance& accept = {});

}  // namespace kolvex
