#pragma once
// The message window: the system's one dialog for telling the user
// something and asking for a decision.
#include <string>

namespace kolvex {

// An error message with a single OK button; returns when the user closed it.
void ShowErrorMessage(const std::string& text);

}  // namespace kolvex
