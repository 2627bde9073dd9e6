#pragma once
// Copies one file over another and makes sure the copy arrived; every
// failure is explained to the user in the message window.
#include <string>

namespace kolvex {

// True when destination now holds a copy of source of the same size; false
// after a failure that has already been shown to the user.
bool CopyFileVerified(const std::string& source, const std::string& destination);

}  // namespace kolvex
