#pragma once
// TBitBtnKom, the message window's bitmap push button: a superclass of the
// system button under its own class name, so that a click handler (and a
// test) can tell it from the check box by class. It is drawn by its owner,
// with its glyph beside the caption as bitmap buttons show them, and it
// carries its TMessageButton value as its tag (GWLP_USERDATA).
#include <windows.h>

#include <string_view>

namespace kolvex::msgwin {

inline constexpr wchar_t kBitBtnClass[] = L"TBitBtnKom";

// A visible, owner-drawn tab stop in parent; destroyed with its parent.
// Returns nullptr when the system cannot create it.
HWND CreateBitBtn(HWND parent, std::wstring_view caption, int tag, HFONT font);
bool IsBitBtn(HWND window);
int BitBtnTag(HWND button);

// Paints a TBitBtnKom for its parent's WM_DRAWITEM.
void DrawBitBtn(const DRAWITEMSTRUCT& item);

// Width of a caption in font, with its "&" prefixes as they are drawn.
int CaptionWidth(HFONT font, std::wstring_view caption);

// The accelerator letter of a control's caption (the character after its
// last single "&"), upper-cased; 0 when it has none.
wchar_t AcceleratorOf(HWND control);
wchar_t UpperKey(wchar_t key);

}  // namespace kolvex::msgwin
