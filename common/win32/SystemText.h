#pragma once
// The operating system's own texts for its error codes.
#include <cstdint>
#include <string>

namespace kolvex {

// The system message for code, exactly as the system gives it (with its
// closing CR LF), or "Error in GetErrorString(code) : lookupError".
std::string GetErrorString(int32_t code);

// GetErrorString without the closing line break and blanks, to go inside a sentence.
std::string GetErrorReason(int32_t code);

// GetErrorString of the calling thread's last error, read at once.
std::string GetLastErrorString();

}  // namespace kolvex
