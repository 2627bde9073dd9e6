#pragma once
// The message window shown on Windows.
#include <string>

#include "messages/MessageWindow.h"

namespace kolvex {

// Shows text (in the message markup) in a modal window and returns the value
// of the button that closed it; a lone OK beside a ticked check box returns
// Yes. When the countdown closes it: defaultButton if a button has that
// value, Yes otherwise. No buttons at all: Cancel at once, nothing shown.
TMessageButton ShowMessageWindow(const std::string& text, const MessageOptions& options);

// An error message with a single OK button; returns when the user closed it.
void ShowErrorMessage(const std::string& text);

}  // namespace kolvex
