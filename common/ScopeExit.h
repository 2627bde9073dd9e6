#pragma once
// Work that must be done when a scope ends, on every way out, unless the
// scope dismisses it on the one way out that made it needless (a temporary
// file that took its place, say).
#include <utility>

namespace kolvex {

template <typename F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) noexcept : f_(std::move(f)) {}
  ~ScopeExit() {
    if (armed_) f_();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

  // The work is not done after all.
  void Dismiss() noexcept { armed_ = false; }

 private:
  F f_;
  bool armed_ = true;
};

}  // namespace kolvex
