#pragma once
// One move-only owner per handle kind, each with its own "empty" value.
#include <windows.h>

#include <cstdint>
#include <utility>

namespace kolvex {

// Close is the function that gives the handle back; Empty is the kind's "no handle" value
// (-1 for INVALID_HANDLE_VALUE), given as a number because a pointer cannot be a template argument.
template <typename T, auto Close, std::intptr_t Empty = 0>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(T h) noexcept : h_(h) {}
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  T get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != None(); }
  T release() noexcept { return std::exchange(h_, None()); }
  // Keeps the last error, so that a failure can be reported after the handle is dropped.
  void reset(T h = None()) noexcept {
    if (h_ != None()) {
      const DWORD error = GetLastError();
      Close(h_);
      SetLastError(error);
    }
    h_ = h;
  }

 private:
  static T None() noexcept { return reinterpret_cast<T>(Empty); }
  T h_ = None();
};

using UniqueFile = UniqueHandle<HANDLE, &CloseHandle, -1>;  // CreateFile, CreateToolhelp32Snapshot
using UniqueKernelHandle = UniqueHandle<HANDLE, &CloseHandle>;  // processes, threads, events, mutexes
using UniqueFind = UniqueHandle<HANDLE, &FindClose, -1>;
using UniqueFont = UniqueHandle<HFONT, &DeleteObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, &DeleteObject>;
using UniqueMemoryDc = UniqueHandle<HDC, &DeleteDC>;  // CreateCompatibleDC
using UniqueWindow = UniqueHandle<HWND, &DestroyWindow>;
using UniqueLocal = UniqueHandle<HLOCAL, &LocalFree>;
using UniqueIcon = UniqueHandle<HICON, &DestroyIcon>;  // CreateIcon*, not shared icons

// A DC from GetDC, given back to its window.
class WindowDc {
 public:
  explicit WindowDc(HWND wnd) noexcept : wnd_(wnd), dc_(GetDC(wnd)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(wnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND wnd_;
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back; owns nothing.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~SelectGuard() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace kolvex
