// How long the real rich-edit box takes to render a message of about 2 KB
// (a long error text with some formatting), against the baseline of setting
// the same characters as plain text. Run under Wine: markup_richedit.exe [bytes]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "messages/RichTextBox_win32.h"
#include "EverydayMessage.h"

namespace {

using Clock = std::chrono::steady_clock;

// The fastest run shows the cost itself; the median, what a busy machine adds.
struct Timing {
  double Fastest;
  double Median;
};

template <typename F>
Timing Time(int runs, F f) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    f();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  return Timing{ms.front(), ms[ms.size() / 2]};
}

}  // namespace

int main(int argc, char** argv) {
  const size_t bytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2048;
  const int runs = bytes <= 4096 ? 50 : 5;
  kolvex::UniqueWindow parent(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                              GetModuleHandleW(nullptr), nullptr));
  HWND box = CreateWindowExW(0, kolvex::RichTextBoxClass(), L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 55,
                             10, 245, 20, parent.get(), nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!parent || !box) {
    std::printf("cannot create the rich-edit box (error %lu)\n", GetLastError());
    return 1;
  }
  kolvex::UniqueFont font(
      CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Sans Serif"));
  SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);

  const std::string message = kolvex::bench::EverydayMessage(bytes);
  const std::wstring plain = kolvex::Widen(message);
  const Timing baseline = Time(runs, [&] {
    SetWindowTextW(box, L"");
    SetWindowPos(box, nullptr, 0, 0, 245, 20, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(plain.c_str()));
  });
  const Timing render = Time(runs, [&] {
    SetWindowTextW(box, L"");
    SetWindowPos(box, nullptr, 0, 0, 245, 20, SWP_NOMOVE | SWP_NOZORDER);
    kolvex::RenderMarkup(box, message, 1);
  });
  RECT r{};
  GetWindowRect(box, &r);
  std::printf("message: %zu bytes, box %ldx%ld after rendering, %d runs\n", message.size(), r.right - r.left,
              r.bottom - r.top, runs);
  std::printf("                                      fastest     median\n");
  std::printf("plain text into the box (baseline): %8.3f ms %8.3f ms\n", baseline.Fastest, baseline.Median);
  std::printf("RenderMarkup into the box:          %8.3f ms %8.3f ms  (fastest %.1f x baseline)\n", render.Fastest,
              render.Median, render.Fastest / baseline.Fastest);
  return 0;
}
