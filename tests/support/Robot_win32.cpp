#include "support/Robot.h"

#include "common/win32/Handles.h"
#include "common/win32/Utf.h"

namespace kolvex::test {

namespace {

constexpr DWORD kPollMs = 25;
// How long a thread may take to answer WM_GETTEXT. A thread that does not
// answer WM_NULL within kPingMs is not pumping (the launcher sleeps or copies
// without a message loop) and is not asked again during one inspection.
constexpr UINT kPingMs = 200;
constexpr UINT kTextMs = 2000;

// The text the system keeps with the window; never sends a message.
std::string StoredText(HWND wnd) {
  std::wstring text(256, L'\0');
  for (;;) {
    const int n = InternalGetWindowText(wnd, text.data(), static_cast<int>(text.size()));
    if (n < static_cast<int>(text.size()) - 1) {
      text.resize(static_cast<size_t>(n > 0 ? n : 0));
      return Narrow(text);
    }
    text.resize(text.size() * 2);
  }
}

bool Answers(HWND wnd) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kPingMs, &ignored) != 0;
}

// The text as the control itself reports it, or the stored text when its
// thread is not answering. pumping is cleared at the first time-out.
std::string TextOf(HWND wnd, bool& pumping) {
  if (pumping) {
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTextMs, &length)) {
      std::wstring text(length + 1, L'\0');
      DWORD_PTR copied = 0;
      if (SendMessageTimeoutW(wnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                              kTextMs, &copied)) {
        text.resize(copied <= length ? copied : length);
        return Narrow(text);
      }
    }
    pumping = false;
  }
  return StoredText(wnd);
}

RECT RectInClient(HWND wnd, HWND top) {
  RECT r{};
  GetWindowRect(wnd, &r);
  MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

struct Search {
  const WindowQuery* query;
  std::vector<HWND> found;
};

BOOL CALLBACK MatchTopWindow(HWND wnd, LPARAM param) {
  auto& search = *reinterpret_cast<Search*>(param);
  const WindowQuery& q = *search.query;
  if (q.visibleOnly && !IsWindowVisible(wnd)) return TRUE;
  if (q.processId != 0) {
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != q.processId) return TRUE;
  }
  if (!q.className.empty() && ClassNameOf(wnd) != q.className) return TRUE;
  if (q.title && StoredText(wnd) != *q.title) return TRUE;
  search.found.push_back(wnd);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND wnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(wnd);
  return TRUE;
}

std::vector<HWND> Descendants(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

// The button a user would mean by the caption: a "Button" first, then any
// other control with that caption (buttons of a class of their own).
HWND FindButton(HWND window, const std::string& caption) {
  HWND other = nullptr;
  bool pumping = Answers(window);
  for (HWND child : Descendants(window)) {
    if (StripAccelerators(TextOf(child, pumping)) != caption) continue;
    if (ClassNameOf(child) == "Button") return child;
    if (!other) other = child;
  }
  return other;
}

}  // namespace

std::string ClassNameOf(HWND window) {
  wchar_t name[256];
  const int n = GetClassNameW(window, name, 256);
  return Narrow(std::wstring_view(name, n > 0 ? static_cast<size_t>(n) : 0));
}

std::string WindowText(HWND window) {
  bool pumping = Answers(window);
  return TextOf(window, pumping);
}

RECT RectInParent(HWND child) { return RectInClient(child, GetParent(child)); }

std::vector<HWND> FindTopWindows(const WindowQuery& query) {
  Search search{&query, {}};
  EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindTopWindow(const WindowQuery& query) {
  const std::vector<HWND> found = FindTopWindows(query);
  return found.empty() ? nullptr : found.front();
}

HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopWindow(query)) != nullptr; }, timeoutMs);
  return found;
}

WindowInfo Inspect(HWND window) {
  WindowInfo info;
  if (!IsWindow(window)) return info;
  info.handle = window;
  const DWORD thread = GetWindowThreadProcessId(window, &info.processId);
  info.className = ClassNameOf(window);
  info.title = StoredText(window);
  GetWindowRect(window, &info.rect);
  RECT client{};
  GetClientRect(window, &client);
  info.clientSize = {client.right - client.left, client.bottom - client.top};
  info.style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  info.exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  info.visible = IsWindowVisible(window) != FALSE;
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  if (GetGUIThreadInfo(thread, &gui)) {
    info.focus = gui.hwndFocus;
    info.active = gui.hwndActive == window;
  }
  bool pumping = Answers(window);
  for (HWND child : Descendants(window)) {
    ControlInfo c;
    c.handle = child;
    c.parent = GetAncestor(child, GA_PARENT);
    c.id = GetDlgCtrlID(child);
    c.className = ClassNameOf(child);
    c.text = TextOf(child, pumping);
    c.rect = RectInClient(child, window);
    c.style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
    c.visible = IsWindowVisible(child) != FALSE;
    c.enabled = IsWindowEnabled(child) != FALSE;
    c.focused = child == info.focus;
    info.controls.push_back(std::move(c));
  }
  return info;
}

std::string StripAccelerators(const std::string& caption) {
  std::string plain;
  plain.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 == caption.size()) break;
      ++i;  // "&&" stands for one "&"; "&x" for x
    }
    plain += caption[i];
  }
  return plain;
}

std::optional<ControlInfo> FindControl(const WindowInfo& window, const std::string& caption,
                                       const std::string& className) {
  for (const ControlInfo& c : window.controls)
    if ((className.empty() || c.className == className) && StripAccelerators(c.text) == caption) return c;
  return std::nullopt;
}

PressResult PressButton(HWND window, const std::string& caption, PressMethod method) {
  if (!IsWindow(window)) return PressResult::WindowGone;
  HWND button = FindButton(window, caption);
  if (!button) return IsWindow(window) ? PressResult::NotFound : PressResult::WindowGone;
  if (!IsWindowVisible(button)) return PressResult::Hidden;
  if (!IsWindowEnabled(button)) return PressResult::Disabled;
  const BOOL posted = method == PressMethod::Click
                          ? PostMessageW(button, BM_CLICK, 0, 0)
                          : PostMessageW(GetAncestor(button, GA_PARENT), WM_COMMAND,
                                         MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(button)), BN_CLICKED),
                                         reinterpret_cast<LPARAM>(button));
  return posted ? PressResult::Pressed : PressResult::WindowGone;
}

bool RequestClose(HWND window, CloseMethod method) {
  if (!IsWindow(window)) return false;
  return method == CloseMethod::Message ? PostMessageW(window, WM_CLOSE, 0, 0) != FALSE
                                        : PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(kPollMs);
  }
  return true;
}

bool IsWindowThere(HWND window) { return window && IsWindow(window); }

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
  return WaitUntil([window] { return !IsWindowThere(window); }, timeoutMs);
}

Screenshot CaptureWindow(HWND window) {
  Screenshot shot;
  RECT r{};
  if (!IsWindow(window) || !GetWindowRect(window, &r)) return shot;
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return shot;

  WindowDc screen(nullptr);
  UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = -height;  // top-down
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap dib(CreateDIBSection(screen.get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!screen || !memory || !dib) return shot;
  {
    SelectGuard select(memory.get(), dib.get());
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), r.left, r.top, SRCCOPY | CAPTUREBLT)) return shot;
  }
  GdiFlush();
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  shot.width = width;
  shot.height = height;
  shot.clientOrigin = {origin.x - r.left, origin.y - r.top};
  const auto* quads = static_cast<const RGBQUAD*>(bits);
  shot.pixels.resize(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < shot.pixels.size(); ++i)
    shot.pixels[i] = RGB(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue);
  return shot;
}

bool SaveBitmap(const Screenshot& shot, const std::string& path) {
  if (shot.width <= 0 || shot.height <= 0) return false;
  const DWORD stride = (static_cast<DWORD>(shot.width) * 3 + 3) & ~3u;
  const DWORD imageSize = stride * static_cast<DWORD>(shot.height);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + imageSize;
  header.biSize = sizeof header;
  header.biWidth = shot.width;
  header.biHeight = shot.height;  // bottom-up
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = imageSize;

  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
  std::string row(stride, '\0');
  for (int y = shot.height - 1; y >= 0; --y) {
    for (int x = 0; x < shot.width; ++x) {
      const COLORREF c = shot.at(x, y);
      row[3 * x] = static_cast<char>(GetBValue(c));
      row[3 * x + 1] = static_cast<char>(GetGValue(c));
      row[3 * x + 2] = static_cast<char>(GetRValue(c));
    }
    bytes += row;
  }

  UniqueFile f(
      CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return f && WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace kolvex::test
