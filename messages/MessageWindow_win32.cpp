// The message window on Win32: a top-level dialog-framed window built in
// code, with a modal loop of its own. The launcher has no other window and
// no message loop, so the window brings everything it needs and leaves the
// thread as it found it: no window, no timer, nothing of its own in the
// message queue.
#include "messages/MessageWindow_win32.h"

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "common/Exceptions.h"
#include "common/win32/CommonControls.h"
#include "common/win32/Handles.h"
#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"
#include "common/win32/Window.h"
#include "messages/MessageWindowButton_win32.h"
#include "messages/MessageWindowLayout.h"
#include "messages/RichTextBox_win32.h"

namespace kolvex {

namespace {

constexpr wchar_t kWindowClass[] = L"TOknoKomunikat";
constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_DLGFRAME | WS_CLIPCHILDREN;  // no system menu
constexpr DWORD kWindowExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr UINT_PTR kCountdownTimer = 1;
constexpr UINT_PTR kTextBoxSubclass = 1;
constexpr int kTallestWindow = 32767;  // the most a window's height holds

// The call that failed and the system's reason, read by the caller right
// after the call. Without a reason (GDI and subclassing set none, and window
// creation may leave none) the text says in plain words what could not be done.
[[noreturn]] void RaiseFailure(const char* call, DWORD error, const char* task) {
  const std::string reason =
      error ? GetErrorReason(static_cast<int32_t>(error)) : std::string(task) + " (system nie podał przyczyny)";
  throw Exception(std::string(call) + " failed: " + reason);
}

Size SizeOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

// The primary screen less the task bar and the desktop's tool bars.
Box WorkArea() {
  RECT r{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
    r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Place(HWND control, const Box& b) {
  SetWindowPos(control, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// While the window is modal, the thread's other top-level windows (the
// progress window, when it is up) take no input. They get it back before
// the message window goes, so that activation returns to them.
class OtherWindowsDisabled {
 public:
  explicit OtherWindowsDisabled(HWND modal) : modal_(modal) {
    EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
    for (HWND w : disabled_) EnableWindow(w, FALSE);
  }
  ~OtherWindowsDisabled() {
    for (HWND w : disabled_) EnableWindow(w, TRUE);
  }
  OtherWindowsDisabled(const OtherWindowsDisabled&) = delete;
  OtherWindowsDisabled& operator=(const OtherWindowsDisabled&) = delete;

 private:
  static BOOL CALLBACK Collect(HWND w, LPARAM self) noexcept {
    auto* me = reinterpret_cast<OtherWindowsDisabled*>(self);
    if (w == me->modal_ || !IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
    try {
      me->disabled_.push_back(w);
      return TRUE;
    } catch (...) {
      return FALSE;  // out of memory: those found so far are enough
    }
  }

  HWND modal_;
  std::vector<HWND> disabled_;
};

// The message window. Its elements are made in code; the panels of the
// layout are only offsets here, every control is a direct child.
class TOknoKomunikat {
 public:
  TOknoKomunikat() = default;
  ~TOknoKomunikat();
  TOknoKomunikat(const TOknoKomunikat&) = delete;
  TOknoKomunikat& operator=(const TOknoKomunikat&) = delete;

  // Builds the window, hidden, for one message.
  void Build(const std::string& text, const MessageOptions& options);
  // Shows it modally until a close is accepted and returns ChosenButton.
  // An exception raised by a handler comes out here, after the loop.
  TMessageButton ShowModal();

 private:
  bool FormCloseQuery() const;
  void ControlClick(HWND sender);
  void CountdownTick();
  void TextKeyPress(wchar_t& key);

  void Close();  // a request to close, which FormCloseQuery decides
  void SetTitle(const std::string& title);
  HWND CreateChild(const wchar_t* windowClass, const std::wstring& text, DWORD style);
  bool HandleKey(const MSG& msg);
  bool PressAccelerator(wchar_t key);
  void MoveFocus(bool backwards);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK TextBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);

  std::int32_t SecondsLeft = 0;
  bool CloseAllowed = false;
  HWND CheckBox = nullptr;
  HWND FocusButton = nullptr;
  bool Confirmed = false;
  TMessageButton ChosenButton = TMessageButton::Yes;

  UniqueFont font_;
  UniqueWindow window_;  // after font_, so that the controls go before the font they use
  HWND textBox_ = nullptr;
  std::vector<HWND> buttons_;
  bool checkShown_ = false;
  std::string kindTitle_;
  std::string title_;
  HWND lastFocus_ = nullptr;  // the control that had the focus when the window was last active
  bool closed_ = false;
  std::exception_ptr failure_;  // the first exception a handler raised
};

TOknoKomunikat::~TOknoKomunikat() {
  // Everything the window owns goes with it: children, timer, and the
  // messages still queued for them.
  if (HWND w = window_.get()) {
    SetWindowLongPtrW(w, GWLP_USERDATA, 0);
    window_.reset();
  }
}

HWND TOknoKomunikat::CreateChild(const wchar_t* windowClass, const std::wstring& text, DWORD style) {
  HWND child = CreateWindowExW(0, windowClass, text.c_str(), WS_CHILD | style, 0, 0, 0, 0, window_.get(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (!child) RaiseFailure("CreateWindowEx", GetLastError(), "nie można utworzyć elementu okna komunikatu");
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  return child;
}

void TOknoKomunikat::SetTitle(const std::string& title) {
  title_ = title;
  SetWindowTextW(window_.get(), Widen(title_).c_str());
}

void TOknoKomunikat::Build(const std::string& text, const MessageOptions& options) {
  font_.reset(CreateFormFont(L"MS Sans Serif", 11, FF_DONTCARE));  // 8 pt at 96 DPI
  if (!font_) RaiseFailure("CreateFont", GetLastError(), "nie można utworzyć czcionki okna komunikatu");
  const CommonControls* controls = LoadCommonControls();
  if (!controls) RaiseFailure("LoadLibrary", GetLastError(), "nie można załadować biblioteki comctl32.dll");
  if (!RegisterFormClass(kWindowClass, &WindowProc)) {
    RaiseFailure("RegisterClassEx", GetLastError(), "nie można zarejestrować okna komunikatu");
  }
  // Created hidden, without owner; placed and sized once the text is laid out.
  // window_ takes the handle in WM_NCCREATE, before any other message.
  HWND w = CreateWindowExW(kWindowExStyle, kWindowClass, L"", kWindowStyle, 0, 0, 0, 0, nullptr, nullptr,
                           GetModuleHandleW(nullptr), this);
  if (!w) {
    const DWORD error = GetLastError();
    window_.release();  // already destroyed by the system, if it got that far
    RaiseFailure("CreateWindowEx", error, "nie można utworzyć okna komunikatu");
  }
  if (options.seconds >= 1) {
    if (!SetTimer(w, kCountdownTimer, msgwin::kCountdownIntervalMs, nullptr)) {
      RaiseFailure("SetTimer", GetLastError(), "nie można uruchomić odliczania");
    }
    SecondsLeft = options.seconds;
  }

  // In tab order: icon, text box, check box, buttons.
  HWND icon = CreateChild(L"STATIC", L"", WS_VISIBLE | SS_ICON);
  Place(icon, {msgwin::kIconLeft, msgwin::kIconTop, msgwin::kIconSize, msgwin::kIconSize});
  // The vertical scroll bar shows only when the box is cut to fit the screen.
  textBox_ = CreateChild(RichTextBoxClass(), L"", WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY);
  SendMessageW(textBox_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_BTNFACE)));
  SendMessageW(textBox_, EM_SETTARGETDEVICE, 0, 1);  // no word wrap until the text is in
  CheckBox = CreateChild(L"BUTTON", Widen(options.checkCaption), WS_TABSTOP | BS_AUTOCHECKBOX);

  const HFONT font = font_.get();
  const msgwin::ButtonRow row = msgwin::PlanButtonRow(
      options, [font](std::string_view caption) { return msgwin::CaptionWidth(font, Widen(caption)); });
  buttons_.reserve(row.buttons.size());
  for (const msgwin::PlannedButton& b : row.buttons) {
    HWND button = msgwin::CreateBitBtn(w, Widen(b.caption), static_cast<int>(b.value), font);
    if (!button) RaiseFailure("CreateWindowEx", GetLastError(), "nie można utworzyć przycisku okna komunikatu");
    buttons_.push_back(button);
  }
  if (row.focus) FocusButton = buttons_[*row.focus];
  ChosenButton = row.chosen;
  checkShown_ = row.checkShown;

  if (const msgwin::KindLook* look = msgwin::LookOfKind(options.kind)) {
    kindTitle_ = look->title;
    const HICON kindIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(look->iconId));
    SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(kindIcon), 0);
    SendMessageW(w, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(kindIcon));
    SendMessageW(w, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(kindIcon));
    MessageBeep(look->sound);
  }
  SetTitle(SecondsLeft >= 1 ? msgwin::CountdownTitle(kindTitle_, SecondsLeft) : kindTitle_);

  // Tall while the text is laid out: a box shorter than its text would show
  // its scroll bar and wrap narrower than its width.
  Place(textBox_, {msgwin::kTextLeft, msgwin::kTextTop, msgwin::StartingTextWidth(row.width), kTallestWindow});
  const int lineHeight = RenderMarkup(textBox_, text, static_cast<int>(options.buttons.size()));

  const Box work = WorkArea();
  if (SizeOf(textBox_).width > msgwin::WidestTextBox(work.width)) {
    ResizeTextBox(textBox_, msgwin::WidestTextBox(work.width), lineHeight);
  }
  const SIZE frame = FrameAround({0, 0}, kWindowStyle, kWindowExStyle);
  const msgwin::WindowLayout layout =
      msgwin::LayOutWindowIn(row, SizeOf(textBox_), {frame.cx, frame.cy}, {work.width, work.height}, lineHeight,
                             GetSystemMetrics(SM_CXVSCROLL));
  Place(textBox_, layout.text);
  for (std::size_t i = 0; i < buttons_.size(); ++i) Place(buttons_[i], layout.buttons[i]);
  if (checkShown_) {
    Place(CheckBox, layout.checkBox);
    ShowWindow(CheckBox, SW_SHOWNA);
  } else {
    Confirmed = true;
  }
  const Box at = PlaceWindow(
      layout.outer, {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, work);
  SetWindowPos(w, nullptr, at.left, at.top, at.width, at.height, SWP_NOZORDER | SWP_NOACTIVATE);

  if (!controls->SetWindowSubclass(textBox_, &TextBoxProc, kTextBoxSubclass, reinterpret_cast<DWORD_PTR>(this))) {
    RaiseFailure("SetWindowSubclass", GetLastError(), "nie można obsłużyć klawiatury w polu tekstu");
  }
  // With no button of the default value, the first button takes the focus,
  // as in the system's own message box.
  lastFocus_ = FocusButton ? FocusButton : buttons_.front();
}

TMessageButton TOknoKomunikat::ShowModal() {
  HWND w = window_.get();
  std::optional<int> quit;
  {
    OtherWindowsDisabled others(w);
    // SetWindowPos rather than ShowWindow: the first ShowWindow of a process
    // may take the show state its starter asked for (minimised, hidden).
    SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(w);
    SetFocus(lastFocus_);
    while (!closed_ && !failure_) {
      MSG msg;
      const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (got == -1) RaiseFailure("GetMessage", GetLastError(), "nie można odebrać komunikatu systemu");
      if (got == 0) {
        // A quit request belongs to whoever runs the thread: the window
        // stays until a button closes it, and the request is posted again.
        quit = static_cast<int>(msg.wParam);
        continue;
      }
      if (!HandleKey(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
  SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  KillTimer(w, kCountdownTimer);
  if (quit) PostQuitMessage(*quit);
  if (failure_) std::rethrow_exception(failure_);
  return ChosenButton;
}

bool TOknoKomunikat::FormCloseQuery() const { return msgwin::AcceptsClose(CloseAllowed, ChosenButton, Confirmed); }

void TOknoKomunikat::Close() {
  if (FormCloseQuery()) closed_ = true;
}

void TOknoKomunikat::ControlClick(HWND sender) {
  if (msgwin::IsBitBtn(sender)) {
    if (const auto value = msgwin::ValueOfClick(msgwin::BitBtnTag(sender), checkShown_, Confirmed)) {
      ChosenButton = *value;
      CloseAllowed = true;
    }
  } else if (sender == CheckBox) {
    Confirmed = SendMessageW(CheckBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
}

void TOknoKomunikat::CountdownTick() {
  --SecondsLeft;
  SetTitle(msgwin::RebuildCountdownTitle(title_, SecondsLeft));
  if (SecondsLeft > 0) return;
  KillTimer(window_.get(), kCountdownTimer);
  CloseAllowed = true;
  Close();
  // Refused (Yes beside an unticked check box): the countdown is over and
  // the window waits for a button, under its plain title.
  if (!closed_) SetTitle(kindTitle_);
}

void TOknoKomunikat::TextKeyPress(wchar_t& key) {
  if (key == L'\r' && FocusButton) {
    SetFocus(FocusButton);
    key = 0;
  }
}

void TOknoKomunikat::MoveFocus(bool backwards) {
  if (HWND next = GetNextDlgTabItem(window_.get(), GetFocus(), backwards)) SetFocus(next);
}

bool TOknoKomunikat::PressAccelerator(wchar_t key) {
  const wchar_t wanted = msgwin::UpperKey(key);
  if (checkShown_ && msgwin::AcceleratorOf(CheckBox) == wanted) {
    SendMessageW(CheckBox, BM_CLICK, 0, 0);
    return true;
  }
  for (HWND button : buttons_) {
    if (msgwin::AcceleratorOf(button) == wanted) {
      SendMessageW(button, BM_CLICK, 0, 0);
      return true;
    }
  }
  return false;
}

// The keyboard of a dialog, without a dialog manager: there is no default
// and no cancel button, so Enter presses the focused button and Escape does
// nothing.
bool TOknoKomunikat::HandleKey(const MSG& msg) {
  HWND w = window_.get();
  if (msg.hwnd != w && !IsChild(w, msg.hwnd)) return false;
  switch (msg.message) {
    case WM_KEYDOWN:
      switch (msg.wParam) {
        case VK_ESCAPE: return true;
        case VK_RETURN:
          if (!msgwin::IsBitBtn(msg.hwnd)) return false;  // in the text box it is TextKeyPress's
          SendMessageW(msg.hwnd, BM_CLICK, 0, 0);
          return true;
        case VK_TAB: MoveFocus(GetKeyState(VK_SHIFT) < 0); return true;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
          if (msg.hwnd == textBox_) return false;
          MoveFocus(msg.wParam == VK_LEFT || msg.wParam == VK_UP);
          return true;
        default: return false;
      }
    case WM_SYSCHAR: return PressAccelerator(static_cast<wchar_t>(msg.wParam));
    case WM_CHAR:  // a plain letter is an accelerator too, except where it could be typed
      return msg.hwnd != textBox_ && PressAccelerator(static_cast<wchar_t>(msg.wParam));
    default: return false;
  }
}

LRESULT TOknoKomunikat::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND w = window_.get();
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && lParam) {
        const auto sender = reinterpret_cast<HWND>(lParam);
        ControlClick(sender);
        if (msgwin::IsBitBtn(sender)) Close();
      }
      return 0;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (!msgwin::IsBitBtn(item.hwndItem)) break;
      msgwin::DrawBitBtn(item);
      return TRUE;
    }
    case WM_TIMER:
      if (wParam != kCountdownTimer) break;
      CountdownTick();
      return 0;
    case WM_CLOSE:  // the system's close key and everyone else's requests
      Close();
      return 0;
    case WM_ACTIVATE:
      // The focus goes back to the control that had it, not to the window.
      if (LOWORD(wParam) == WA_INACTIVE) {
        if (HWND focus = GetFocus(); focus && IsChild(w, focus)) lastFocus_ = focus;
        return 0;
      }
      if (lastFocus_ && IsWindow(lastFocus_)) {
        SetFocus(lastFocus_);
        return 0;
      }
      break;
    case WM_SETFOCUS:
      if (lastFocus_ && IsWindow(lastFocus_)) SetFocus(lastFocus_);
      return 0;
    case WM_NCDESTROY:  // destroyed by someone else on this thread: nothing left to wait for
      window_.release();
      closed_ = true;
      break;
    default: break;
  }
  return DefWindowProcW(w, message, wParam, lParam);
}

// No exception crosses the system's frames: the first one is kept, the
// modal loop ends, and ShowModal raises it again.
LRESULT CALLBACK TOknoKomunikat::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TOknoKomunikat*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_.reset(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TOknoKomunikat*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->Handle(message, wParam, lParam);
  } catch (...) {
    if (!self->failure_) self->failure_ = std::current_exception();
    return 0;
  }
}

LRESULT CALLBACK TOknoKomunikat::TextBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                             DWORD_PTR data) {
  auto* self = reinterpret_cast<TOknoKomunikat*>(data);
  try {
    switch (message) {
      case WM_CHAR: {
        auto key = static_cast<wchar_t>(wParam);
        self->TextKeyPress(key);
        if (!key) return 0;
        wParam = key;
        break;
      }
      case WM_SETCURSOR:  // an arrow over the text: it cannot be edited
        if (LOWORD(lParam) != HTCLIENT) break;
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        return TRUE;
      case WM_NCDESTROY: LoadCommonControls()->RemoveWindowSubclass(box, &TextBoxProc, id); break;
      default: break;
    }
  } catch (...) {
    if (!self->failure_) self->failure_ = std::current_exception();
    return 0;
  }
  return LoadCommonControls()->DefSubclassProc(box, message, wParam, lParam);
}

}  // namespace

TMessageButton ShowMessageWindow(const std::string& text, const MessageOptions& options) {
  if (options.buttons.empty()) return TMessageButton::Cancel;
  TOknoKomunikat window;
  window.Build(text, options);
  return window.ShowModal();
}

void ShowErrorMessage(const std::string& text) {
  ShowMessageWindow(text, {.buttons = {TMessageButton::OK},
                           .defaultButton = TMessageButton::OK,
                           .kind = TMessageKind::Error,
                           .seconds = -1});
}

}  // namespace kolvex
