#pragma once
// The message window's rich-text box: the platform's rich-edit control,
// filled from message markup and sized to its text.
#include <windows.h>

#include <string>

namespace kolvex {

// Registers/loads the rich-edit class once; returns L"RICHEDIT50W".
const wchar_t* RichTextBoxClass();

// Renders markup into an existing rich-edit child control: clears it, fills it,
// then sizes it (its width may change, its height is set) by the sizing rules,
// using its current left offset within its parent and its current width.
// The control must be multi-line (ES_MULTILINE); read-only, borderless and
// without scroll bars, as the message window makes it, it renders all the same.
// Returns the line height that the box's height is counted in.
int RenderMarkup(HWND richEdit, const std::string& text, int buttonCount);

// Gives a rendered box another width; its text wraps anew and its height
// follows the lines, lineHeight each and one more, as RenderMarkup sets it.
void ResizeTextBox(HWND richEdit, int width, int lineHeight);

}  // namespace kolvex
