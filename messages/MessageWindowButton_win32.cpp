#include "messages/MessageWindowButton_win32.h"

#include <algorithm>
#include <array>
#include <string>

#include "common/win32/Handles.h"
#include "common/win32/Window.h"
#include "messages/MessageWindowLayout.h"

namespace kolvex::msgwin {

namespace {

// The glyphs, 16 x 16, one character a pixel: "." lets the face through.
constexpr int kGlyphSize = 16;
constexpr int kGlyphSpacing = 4;  // between glyph and caption
constexpr int kCaptionInset = 4;  // kept free inside the button's edges
using GlyphArt = std::array<const char*, kGlyphSize>;

// clang-format off
constexpr GlyphArt kOkArt{
    "................",
    "................",
    "................",
    ".............G..",
    "............GgG.",
    "...........GggG.",
    "..G.......GggG..",
    ".GgG.....GggG...",
    ".GggG...GggG....",
    "..GggG.GggG.....",
    "...GggGggG......",
    "....GgggG.......",
    ".....GgG........",
    "......G.........",
    "................",
    "................",
};
constexpr GlyphArt kYesArt{
    "................",
    "................",
    "..............G.",
    ".............GgG",
    "............GggG",
    "...........GggG.",
    "..GG......GggG..",
    ".GggG....GggG...",
    ".GgggG..GggG....",
    "..GgggGGggG.....",
    "...GgggggG......",
    "....GgggG.......",
    ".....GggG.......",
    "......GG........",
    "................",
    "................",
};
constexpr GlyphArt kCancelArt{
    "................",
    "................",
    "...R.......R....",
    "..RrR.....RrR...",
    "..RrrR...RrrR...",
    "...RrrR.RrrR....",
    "....RrrRrrR.....",
    ".....RrrrR......",
    ".....RrrrR......",
    "....RrrRrrR.....",
    "...RrrR.RrrR....",
    "..RrrR...RrrR...",
    "..RrR.....RrR...",
    "...R.......R....",
    "................",
    "................",
};
constexpr GlyphArt kHelpArt{
    "................",
    ".....BBBBBB.....",
    "....BbbbbbbB....",
    "...BbbBBBBbbB...",
    "...BbB....BbB...",
    "....B.....BbB...",
    ".........BbbB...",
    "........BbbB....",
    ".......BbbB.....",
    ".......BbB......",
    ".......BbB......",
    "........B.......",
    ".......BBB......",
    ".......BbB......",
    ".......BBB......",
    "................",
};
constexpr GlyphArt kAllArt{  // two checks, the one behind lighter
    "................",
    "................",
    "................",
    "................",
    "............G..G",
    "......G....GgGGh",
    ".....GhG..GggGhh",
    ".G...GhhGGggGhhG",
    "GgG...GhGggGhhG.",
    "GggG...GggGhhG..",
    ".GggG.GggGhhG...",
    "..GggGggGGhG....",
    "...GgggG..G.....",
    "....GgG.........",
    ".....G..........",
    "................",
};
// clang-format on

COLORREF ArtColor(char c) {
  switch (c) {
    case 'G': return RGB(0, 110, 0);
    case 'g': return RGB(40, 190, 40);
    case 'h': return RGB(120, 210, 120);
    case 'R': return RGB(140, 0, 0);
    case 'r': return RGB(230, 30, 30);
    case 'B': return RGB(0, 0, 128);
    default: return RGB(40, 80, 230);  // 'b'
  }
}

const GlyphArt* ArtOf(Glyph glyph) {
  switch (glyph) {
    case Glyph::Yes: return &kYesArt;
    case Glyph::Cancel: return &kCancelArt;
    case Glyph::OK: return &kOkArt;
    case Glyph::Help: return &kHelpArt;
    case Glyph::All: return &kAllArt;
    case Glyph::None: break;
  }
  return nullptr;
}

void DrawArt(HDC dc, const GlyphArt& art, int left, int top) {
  for (int y = 0; y < kGlyphSize; ++y) {
    for (int x = 0; x < kGlyphSize; ++x) {
      const char c = art[static_cast<std::size_t>(y)][x];
      if (c != '.') SetPixelV(dc, left + x, top + y, ArtColor(c));
    }
  }
}

WNDPROC systemButtonProc = nullptr;

LRESULT CALLBACK BitBtnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(systemButtonProc, window, message, wParam, lParam);
}

ATOM RegisterBitBtn() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(nullptr, L"BUTTON", &wc)) return ATOM{0};
    systemButtonProc = wc.lpfnWndProc;
    wc.lpfnWndProc = BitBtnProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kBitBtnClass;
    // A quick second click is a second click, not a double click that the
    // window would have to tell apart.
    wc.style &= ~(CS_DBLCLKS | CS_GLOBALCLASS);
    return RegisterClassExW(&wc);
  }();
  return atom;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

HWND CreateBitBtn(HWND parent, std::wstring_view caption, int tag, HFONT font) {
  const ATOM atom = RegisterBitBtn();
  if (!atom) return nullptr;
  const std::wstring text(caption);
  HWND button = CreateWindowExW(0, MAKEINTATOM(atom), text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
                                0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!button) return nullptr;
  SetWindowLongPtrW(button, GWLP_USERDATA, tag);
  SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return button;
}

bool IsBitBtn(HWND window) {
  const ATOM atom = RegisterBitBtn();
  return atom && window && GetClassWord(window, GCW_ATOM) == atom;
}

int BitBtnTag(HWND button) { return static_cast<int>(GetWindowLongPtrW(button, GWLP_USERDATA)); }

int CaptionWidth(HFONT font, std::wstring_view caption) {
  return caption.empty() ? 0 : ScreenTextSize(font, caption).cx;
}

void DrawBitBtn(const DRAWITEMSTRUCT& item) {
  const HDC dc = item.hDC;
  const bool pushed = item.itemState & ODS_SELECTED;
  const bool focused = item.itemState & ODS_FOCUS;
  const RECT& whole = item.rcItem;

  // The focused button wears the dark frame of a default button: Enter
  // presses it.
  RECT face = whole;
  if (focused) {
    FrameRect(dc, &face, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&face, -1, -1);
  }
  if (pushed) {
    FrameRect(dc, &face, GetSysColorBrush(COLOR_BTNSHADOW));
    InflateRect(&face, -1, -1);
    FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
  } else {
    DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH);
  }

  // Glyph and caption side by side, centred together; a pushed button's
  // content moves a pixel down and right. A caption wider than the room
  // left ends in an ellipsis, never cut at its start.
  const std::wstring caption = TextOf(item.hwndItem);
  const auto font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
  SelectGuard selected(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  RECT text{};
  if (!caption.empty()) DrawTextW(dc, caption.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
  const GlyphArt* art = ArtOf(GlyphOf(BitBtnTag(item.hwndItem)));
  const int glyphWidth = art ? kGlyphSize + (caption.empty() ? 0 : kGlyphSpacing) : 0;
  text.right = std::min<LONG>(text.right, std::max(0L, whole.right - whole.left - 2 * kCaptionInset - glyphWidth));
  const int shift = pushed ? 1 : 0;
  int x = whole.left + (whole.right - whole.left - glyphWidth - text.right) / 2 + shift;
  const int middle = whole.top + (whole.bottom - whole.top) / 2 + shift;
  if (art) {
    DrawArt(dc, *art, x, middle - kGlyphSize / 2);
    x += glyphWidth;
  }
  if (!caption.empty()) {
    OffsetRect(&text, x, middle - text.bottom / 2);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_END_ELLIPSIS);
  }
  if (focused) {
    RECT focus = whole;
    InflateRect(&focus, -4, -4);
    DrawFocusRect(dc, &focus);
  }
}

wchar_t UpperKey(wchar_t key) {
  return static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(key))));
}

wchar_t AcceleratorOf(HWND control) {
  const std::wstring caption = TextOf(control);
  wchar_t key = 0;
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] != L'&') key = caption[i + 1];
    ++i;  // "&&" is a plain ampersand; the letter after "&" is never a prefix itself
  }
  return key ? UpperKey(key) : 0;
}

}  // namespace kolvex::msgwin
