#include "common/win32/Window.h"

#include "common/win32/Handles.h"

namespace kolvex {

bool RegisterFormClass(const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HFONT CreateFormFont(const wchar_t* face, int pixels, BYTE pitchAndFamily) {
  return CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | pitchAndFamily, face);
}

SIZE ScreenTextSize(HFONT font, std::wstring_view text, UINT format) {
  WindowDc screen(nullptr);
  SelectGuard select(screen.get(), font);
  RECT r{};
  DrawTextW(screen.get(), text.data(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE | format);
  return {r.right - r.left, r.bottom - r.top};
}

void PauseHandlingMessages(DWORD ms) {
  const DWORD start = GetTickCount();
  for (DWORD elapsed; (elapsed = GetTickCount() - start) < ms;) {
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT) != WAIT_OBJECT_0) return;
    HandleMessages();
  }
}

SIZE FrameAround(SIZE client, DWORD style, DWORD exStyle) {
  RECT r{0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return {r.right - r.left, r.bottom - r.top};
}

bool WindowsCanBeSeen() {
  USEROBJECTFLAGS flags{};
  const HWINSTA station = GetProcessWindowStation();
  return !station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) ||
         (flags.dwFlags & WSF_VISIBLE) != 0;
}

void HandleMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace kolvex
