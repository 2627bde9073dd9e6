#pragma once
// One move-only owner per handle kind, each with its own "empty" value.
#include <windows.h>

#include <utility>

namespace kolvex {

template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Type h) noexcept : h_(h) {}
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Empty())) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, Traits::Empty()));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Type get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != Traits::Empty(); }
  Type release() noexcept { return std::exchange(h_, Traits::Empty()); }
  void reset(Type h = Traits::Empty()) noexcept {
    if (h_ != Traits::Empty()) Traits::Close(h_);
    h_ = h;
  }

 private:
  Type h_ = Traits::Empty();
};

struct FileHandleTraits {  // CreateFile: INVALID_HANDLE_VALUE when empty
  using Type = HANDLE;
  static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { CloseHandle(h); }
};
struct KernelHandleTraits {  // processes, threads, events: NULL when empty
  using Type = HANDLE;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { CloseHandle(h); }
};
struct FindHandleTraits {
  using Type = HANDLE;
  static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { FindClose(h); }
};
struct GdiObjectTraits {
  using Type = HGDIOBJ;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { DeleteObject(h); }
};
struct MemoryDcTraits {  // CreateCompatibleDC
  using Type = HDC;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { DeleteDC(h); }
};
struct WindowTraits {
  using Type = HWND;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { DestroyWindow(h); }
};
struct ModuleTraits {
  using Type = HMODULE;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { FreeLibrary(h); }
};
struct LocalMemoryTraits {
  using Type = HLOCAL;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { LocalFree(h); }
};
struct IconTraits {  // CreateIcon / CreateIconIndirect, not shared icons
  using Type = HICON;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { DestroyIcon(h); }
};

using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueLocal = UniqueHandle<LocalMemoryTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;

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

// Runs a callable when the scope ends, for state that must be restored.
template <typename F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) noexcept : f_(std::move(f)) {}
  ~ScopeExit() { f_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  F f_;
};

}  // namespace kolvex
