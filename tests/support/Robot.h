#pragma once
// Reads and drives the top-level windows of another process the way a user
// would see and use them: find a window by its title, list its controls,
// press a button by its caption, ask the window to close. Every call returns
// at once or after a bounded wait; none of them needs the other process to
// cooperate beyond running its own message loop, and reading never needs even
// that. Texts are UTF-8.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kolvex::test {

struct WindowQuery {
  std::optional<std::string> title{};  // exact, case-sensitive; none: any title
  DWORD processId = 0;      // 0: any process
  std::string className{};  // empty: any class
  bool visibleOnly = true;  // a window still being built is created hidden
};

struct ControlInfo {
  HWND handle = nullptr;
  HWND parent = nullptr;
  int id = 0;
  std::string className;
  std::string text;
  RECT rect{};  // in the client coordinates of the top-level window
  DWORD style = 0;
  bool visible = false;  // visible on screen: the control and all its parents
  bool enabled = false;
  bool focused = false;
};

struct WindowInfo {
  HWND handle = nullptr;
  DWORD processId = 0;
  std::string className;
  std::string title;
  RECT rect{};        // screen coordinates, frame included
  SIZE clientSize{};  // the client area
  DWORD style = 0;
  DWORD exStyle = 0;
  bool visible = false;
  bool active = false;                // the active window of its own thread
  HWND focus = nullptr;               // focus of the window's thread, from outside
  std::vector<ControlInfo> controls;  // every descendant, in Z order, depth first
};

// The top-level windows matching the query, in Z order.
std::vector<HWND> FindTopWindows(const WindowQuery& query);
// The first top-level window matching the query, or nullptr.
HWND FindTopWindow(const WindowQuery& query);
// Polls for the window until it appears or timeoutMs has passed.
HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs);

// Everything the window shows. Texts come from the window's own answer
// (WM_GETTEXT with a time-out) so that rich-edit and edit contents are
// complete; a thread that is not pumping messages (the launcher while it
// copies or sleeps) gets its stored window texts read instead.
WindowInfo Inspect(HWND window);
// One window's text as Inspect reads it, and its class name.
std::string WindowText(HWND window);
std::string ClassNameOf(HWND window);
// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child);

// The control whose caption, with the "&" accelerator markers removed,
// equals caption; empty when there is none.
std::optional<ControlInfo> FindControl(const WindowInfo& window, const std::string& caption,
                                       const std::string& className = "");

// "&OK" -> "OK", "&&" -> "&": what the user reads on the button.
std::string StripAccelerators(const std::string& caption);

enum class PressResult { Pressed, WindowGone, NotFound, Disabled, Hidden };
enum class PressMethod {
  Click,    // BM_CLICK posted to the button: the button itself reports the click
  Command,  // WM_COMMAND BN_CLICKED posted to the button's parent
};

// Presses a visible, enabled button; what a user cannot press is refused.
// Posted: returns before the other process has reacted.
PressResult PressButton(HWND window, const std::string& caption, PressMethod method = PressMethod::Click);

enum class CloseMethod {
  Message,        // WM_CLOSE
  SystemCommand,  // WM_SYSCOMMAND SC_CLOSE: Alt+F4 and the close box
};
// Posts a close request; false when the window no longer exists.
bool RequestClose(HWND window, CloseMethod method = CloseMethod::Message);

// Polls the condition until it holds (true) or timeoutMs has passed (false):
// for what another process does in its own time, such as moving the focus.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Whether the handle still names a window.
bool IsWindowThere(HWND window);
// Polls until the window is gone; false when it is still there at the end.
bool WaitForWindowGone(HWND window, DWORD timeoutMs);

// The screen's pixels under the window (what the user sees), as a top-down
// 32-bit image; empty when the window is gone or off screen.
struct Screenshot {
  int width = 0;
  int height = 0;
  POINT clientOrigin{};          // where the client area begins in the image
  std::vector<COLORREF> pixels;  // row by row, 0x00BBGGRR
  COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // A pixel by client coordinates, as the window's own layout states them.
  COLORREF client(int x, int y) const { return at(clientOrigin.x + x, clientOrigin.y + y); }
};
Screenshot CaptureWindow(HWND window);
// Writes a 24-bit BMP; false when it cannot be written.
bool SaveBitmap(const Screenshot& shot, const std::string& path);

}  // namespace kolvex::test
