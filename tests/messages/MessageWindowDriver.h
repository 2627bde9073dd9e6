#pragma once
// Drives the message window from inside the test process. ShowMessageWindow
// runs its own modal loop on the test's thread; a thread timer (dispatched
// by that loop) runs the test's steps against the window, one step a tick.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/win32/Utf.h"
#include "support/Robot.h"
#include "support/TestSupport.h"

namespace kolvex::test {

inline BOOL CALLBACK FindInThread(HWND w, LPARAM out) {
  if (ClassNameOf(w) != "TOknoKomunikat") return TRUE;
  *reinterpret_cast<HWND*>(out) = w;
  return FALSE;
}

// The message window of the given thread (this one by default), or nullptr.
inline HWND FindMessageWindow(DWORD threadId = GetCurrentThreadId()) {
  HWND found = nullptr;
  EnumThreadWindows(threadId, &FindInThread, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The visible message window of a process (for a second thread or another
// program), or nullptr.
inline HWND FindMessageWindowOfProcess(DWORD processId) {
  return FindTopWindow({.processId = processId, .className = "TOknoKomunikat"});
}

// Direct children of a class, in tab (creation) order.
inline std::vector<HWND> ChildrenOfClass(HWND parent, const wchar_t* windowClass) {
  std::vector<HWND> found;
  for (HWND c = FindWindowExW(parent, nullptr, windowClass, nullptr); c;
       c = FindWindowExW(parent, c, windowClass, nullptr)) {
    found.push_back(c);
  }
  return found;
}

inline std::vector<HWND> ButtonsOf(HWND window) { return ChildrenOfClass(window, L"TBitBtnKom"); }
inline HWND TextBoxOf(HWND window) { return FindWindowExW(window, nullptr, L"RICHEDIT50W", nullptr); }
inline HWND CheckBoxOf(HWND window) { return FindWindowExW(window, nullptr, L"Button", nullptr); }
inline HWND IconOf(HWND window) { return FindWindowExW(window, nullptr, L"Static", nullptr); }

inline int WidthOf(const RECT& r) { return r.right - r.left; }
inline int HeightOf(const RECT& r) { return r.bottom - r.top; }
inline RECT OuterRect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r;
}
inline RECT ClientRectOf(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  return r;
}

inline void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

// A key as the keyboard would send it to the focused control, through the
// window's own loop.
inline void PostKey(HWND target, WPARAM key) {
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

// Runs steps, one a timer tick, while a modal loop runs on this thread. A
// step returns true when it is done, false to be called again next tick;
// the first step runs once the message window is there and visible. If
// the window is still open after the time limit, the test fails and the
// window is closed by ticking its check box and clicking its first button.
class WindowScript {
 public:
  using Step = std::function<bool(HWND window)>;

  explicit WindowScript(std::vector<Step> steps, DWORD limitMs = 20000)
      : steps_(std::move(steps)), limit_(GetTickCount() + limitMs) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, &Tick);
  }
  ~WindowScript() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  WindowScript(const WindowScript&) = delete;
  WindowScript& operator=(const WindowScript&) = delete;

  bool Finished() const { return next_ == steps_.size(); }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    WindowScript* self = current_;
    if (!self) return;
    HWND w = FindMessageWindow();
    if (!w || !IsWindowVisible(w)) return;
    if (static_cast<LONG>(GetTickCount() - self->limit_) > 0) {
      ADD_FAILURE() << "the message window was still open at the time limit, at step " << self->next_;
      self->next_ = self->steps_.size();
      if (HWND check = CheckBoxOf(w); check && IsWindowVisible(check)) {
        SendMessageW(check, BM_SETCHECK, BST_UNCHECKED, 0);
        Click(check);
      }
      if (auto buttons = ButtonsOf(w); !buttons.empty()) Click(buttons.front());
      return;
    }
    if (self->next_ < self->steps_.size() && self->steps_[self->next_](w)) ++self->next_;
  }

  static inline WindowScript* current_ = nullptr;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  DWORD limit_;
  UINT_PTR timer_ = 0;
};

// Wraps a step that always finishes at once.
inline WindowScript::Step Once(std::function<void(HWND)> f) {
  return [f = std::move(f)](HWND w) {
    f(w);
    return true;
  };
}

// Where the tests leave what a person should look at: build/<preset>/artifacts.
inline std::string ArtifactsDir() {
  const std::string dir = BinDir() + "\\..\\artifacts";
  CreateDirectoryW(Widen(dir).c_str(), nullptr);
  return dir;
}

// Saves the window as drawn, frame and caption included, as a 24-bit BMP.
inline bool SaveScreenshot(HWND window, const std::string& name) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  return SaveBitmap(CaptureWindow(window), ArtifactsDir() + "\\" + name + ".bmp");
}

}  // namespace kolvex::test
