#include "launcher/ProgressWindow_win32.h"

#include <algorithm>
#include <span>
#include <utility>

#include "common/Integers.h"
#include "common/LittleEndian.h"
#include "common/Paths.h"
#include "common/WindowPlacement.h"
#include "common/win32/CommonControls.h"
#include "common/win32/Utf.h"
#include "common/win32/Window.h"

namespace kolvex {

namespace {

constexpr wchar_t kClassName[] = L"TfTrwaAktualizacja";
constexpr wchar_t kCaption[] = L"Aktualizacja";
constexpr wchar_t kLabel1Text[] = L"Trwa aktualizacja sk\u0142adnika ...";
constexpr wchar_t kIconResource[] = L"TRWA_AKTUALIZACJA";  // res/ProgressWindow.rc, the .ico file
// A copy of the program that lasts longer than this shows the window.
constexpr DWORD kProgramQuietMs = 1000;

// The form at 96 dots per inch (the program declares no DPI awareness, so the
// system scales it as a whole on other screens).
constexpr SIZE kClientSize{326, 59};
constexpr Box kPanel1{0, 0, kClientSize.cx, kClientSize.cy};
constexpr Box kBevel1{6, 6, 313, 47};
constexpr Box kImage1{15, 13, 32, 32};
constexpr Box kNazwaSkl{55, 13, 255, 15};
constexpr POINT kLabel1At{55, 30};    // sized to its text
constexpr Box kPostep{260, 30, 50, 15};  // the share of the copy done, at the bevel's right
constexpr int kLabelFontPixels = 12;  // Arial 9 pt

enum ElementId { kPanel1Id = 1, kBevel1Id, kImage1Id, kNazwaSklId, kLabel1Id, kPostepId };

constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;  // no system menu: no caption buttons
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME;
// Every element overlaps the panel and the labels overlap the bevel: each
// paints only where no sibling lies above it.
constexpr DWORD kElementStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
// Labels never interpret "&" (a file name may hold one) and never wrap: a long
// name is cut at the label's edge.
constexpr DWORD kLabelStyle = SS_LEFTNOWORDWRAP | SS_NOPREFIX;

void PaintFrame(const DRAWITEMSTRUCT& item, UINT edge) {
  RECT r = item.rcItem;
  FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(item.hDC, &r, edge, BF_RECT);
}

LRESULT CALLBACK FormProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CTLCOLORSTATIC: {
      const auto dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item.CtlID == kPanel1Id) PaintFrame(item, BDR_RAISEDINNER);
      if (item.CtlID == kBevel1Id) PaintFrame(item, BDR_SUNKENOUTER);
      return TRUE;
    }
    case WM_CLOSE:  // Alt+F4: the window hides, as a secondary form does, and comes back on the next name
      ShowWindow(wnd, SW_HIDE);
      return 0;
    default:
      return DefWindowProcW(wnd, msg, wp, lp);
  }
}

// The first image of the stored .ico file: the directory (6 bytes) is followed
// by 16-byte entries that give each image's size (at 8) and offset (at 12).
UniqueIcon LoadStoredIcon(HINSTANCE instance) {
  const HRSRC found = FindResourceW(instance, kIconResource, RT_RCDATA);
  if (!found) return {};
  const auto* file = static_cast<const BYTE*>(LockResource(LoadResource(instance, found)));
  const DWORD fileSize = SizeofResource(instance, found);
  if (!file || fileSize < 6 + 16) return {};
  const auto bytes = std::as_bytes(std::span(file, fileSize));
  const DWORD size = ReadLittleEndian(bytes, 6 + 8, 4);
  const DWORD offset = ReadLittleEndian(bytes, 6 + 12, 4);
  if (offset > fileSize || size > fileSize - offset) return {};
  constexpr DWORD kIconFormat = 0x00030000;
  return UniqueIcon(CreateIconFromResourceEx(const_cast<BYTE*>(file + offset), size, TRUE, kIconFormat,
                                             kImage1.width, kImage1.height, LR_DEFAULTCOLOR));
}

// The outer rectangle that gives the client area its size, centred on the screen.
Box CentredFrame() {
  const SIZE frame = FrameAround(kClientSize, kFormStyle, kFormExStyle);
  const Size screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return PlaceWindow({frame.cx, frame.cy}, screen, {0, 0, screen.width, screen.height});
}

}  // namespace

TfTrwaAktualizacja::TfTrwaAktualizacja() {
  LoadCommonControls();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterFormClass(kClassName, FormProc)) return;
  const Box frame = CentredFrame();
  // Created without WS_VISIBLE: the window is seen only once it is shown.
  window_.reset(CreateWindowExW(kFormExStyle, kClassName, kCaption, kFormStyle, frame.left, frame.top, frame.width,
                                frame.height, nullptr, nullptr, instance, nullptr));
  if (!window_) return;
  labelFont_.reset(CreateFormFont(L"Arial", kLabelFontPixels, FF_SWISS));

  const auto element = [&](const wchar_t* text, DWORD style, const Box& box, ElementId id) {
    return CreateWindowExW(0, L"Static", text, kElementStyle | style, box.left, box.top, box.width, box.height,
                           window_.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  panel1_ = element(L"", SS_OWNERDRAW, kPanel1, kPanel1Id);
  bevel1_ = element(L"", SS_OWNERDRAW, kBevel1, kBevel1Id);
  image1_ = element(L"", SS_ICON, kImage1, kImage1Id);
  lNazwaSkl_ = element(L"", kLabelStyle, kNazwaSkl, kNazwaSklId);
  // An auto-sized label: as wide as its text, as high as a line of its font.
  const SIZE label1 = ScreenTextSize(labelFont_.get(), kLabel1Text, DT_NOPREFIX);
  label1_ = element(kLabel1Text, kLabelStyle, {kLabel1At.x, kLabel1At.y, label1.cx, label1.cy}, kLabel1Id);
  lPostep_ = element(L"", SS_RIGHT | SS_NOPREFIX, kPostep, kPostepId);

  // The bevel lies on the panel, everything else on the bevel.
  SetWindowPos(bevel1_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(panel1_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  icon_ = LoadStoredIcon(instance);
  SendMessageW(image1_, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon_.get()));
  SendMessageW(lNazwaSkl_, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), FALSE);
  SendMessageW(label1_, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), FALSE);
  SendMessageW(lPostep_, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), FALSE);
}

void TfTrwaAktualizacja::SetComponentName(const std::string& text) {
  if (!window_) return;
  SetWindowTextW(lNazwaSkl_, Widen(text).c_str());
  RedrawWindow(lNazwaSkl_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  SetWindowTextW(lPostep_, L"");
}

void TfTrwaAktualizacja::SetCopied(uint64_t done, uint64_t total) {
  if (!window_ || total == 0) return;
  const std::wstring text = Widen(FormatInteger(static_cast<int64_t>(std::min(done, total) * 100 / total)) + "%");
  wchar_t shown[8] = {};
  GetWindowTextW(lPostep_, shown, 8);
  if (text != shown) SetWindowTextW(lPostep_, text.c_str());
}

void TfTrwaAktualizacja::ShowAndPaint() {
  if (!window_) return;
  ShowWindow(window_.get(), SW_SHOW);
  RedrawWindow(window_.get(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

std::string ProgressText(const std::string& name, const std::string& caption) {
  return caption.empty() ? UpperCase(ExtractFileName(name)) : caption;
}

void ProgressWindow::Refreshing(const std::string& name, const std::string& caption) {
  Show(ProgressText(name, caption));
}

void ProgressWindow::RefreshingProgram(const std::string& name) {
  program_ = UpperCase(ExtractFileName(name));
  programSince_ = GetTickCount();
  if (fTrwaAktualizacja && IsWindowVisible(fTrwaAktualizacja->Handle())) ShowNow(std::exchange(program_, {}));
}

void ProgressWindow::Copying(uint64_t done, uint64_t total) noexcept {
  try {
    if (!program_.empty() && GetTickCount() - programSince_ >= kProgramQuietMs) ShowNow(std::exchange(program_, {}));
    if (fTrwaAktualizacja) fTrwaAktualizacja->SetCopied(done, total);
    HandleMessages();
  } catch (...) {
    // The window only informs; the copy goes on without it.
  }
}

void ProgressWindow::WaitingForTurn(const std::string& programName) { Show(UpperCase(ExtractFileName(programName))); }

void ProgressWindow::ShowNow(const std::string& text) {
  if (!WindowsCanBeSeen()) return;  // nobody to tell
  if (!fTrwaAktualizacja) fTrwaAktualizacja = std::make_unique<TfTrwaAktualizacja>();
  fTrwaAktualizacja->SetComponentName(text);
  fTrwaAktualizacja->ShowAndPaint();
}

void ProgressWindow::Show(const std::string& text) {
  ShowNow(text);
  if (fTrwaAktualizacja) PauseHandlingMessages(kProgressNameShownMs);
}

void ProgressWindow::Close() { fTrwaAktualizacja.reset(); }

}  // namespace kolvex
