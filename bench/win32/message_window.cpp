// How long the whole message window takes to appear: built, rendered,
// shown and painted, then closed from inside the program. Texts of 2 KB,
// 20 KB and 200 KB with a style run every ten characters show whether the
// time grows in proportion to the text; a 2 KB everyday message with a few
// tags is set against the same text without them. Run under Wine.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "EverydayMessage.h"
#include "messages/MessageWindow_win32.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr UINT kShown = WM_APP + 1;
Clock::time_point shownAt;
HHOOK cbtHook = nullptr;
HHOOK messageHook = nullptr;

// Activation is the last step of showing; what is posted then is read by
// the window's own loop, once it runs.
LRESULT CALLBACK OnActivate(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) PostThreadMessageW(GetCurrentThreadId(), kShown, wParam, 0);
  return CallNextHookEx(cbtHook, code, wParam, lParam);
}

// Paints whatever is still to be painted, stops the clock and presses the button.
LRESULT CALLBACK OnShown(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && msg->hwnd == nullptr && msg->message == kShown) {
    const auto window = reinterpret_cast<HWND>(msg->wParam);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    shownAt = Clock::now();
    PostMessageW(FindWindowExW(window, nullptr, L"TBitBtnKom", nullptr), BM_CLICK, 0, 0);
  }
  return CallNextHookEx(messageHook, code, wParam, lParam);
}

// Milliseconds to the painted window.
double TimeToShown(const std::string& text) {
  const auto start = Clock::now();
  kolvex::ShowMessageWindow(text, {.buttons = {kolvex::TMessageButton::OK}, .kind = kolvex::TMessageKind::Error});
  return std::chrono::duration<double, std::milli>(shownAt - start).count();
}

// The fastest of `runs` for each text, taken in turns so that a busy moment
// of the machine weighs on all of them alike.
std::vector<double> FastestToShown(const std::vector<std::string>& texts, int runs) {
  std::vector<double> fastest(texts.size(), 1e300);
  for (int i = 0; i < runs; ++i) {
    for (size_t t = 0; t < texts.size(); ++t) fastest[t] = std::min(fastest[t], TimeToShown(texts[t]));
  }
  return fastest;
}

// A style run every ten characters: bold, italic, red, plain, a new line every eight runs.
std::string ManyRuns(size_t bytes, size_t& runs) {
  const char* tags[] = {"<B>", "</B><I>", "</I><C:clRed>", "<C:clDefault>"};
  std::string text;
  for (runs = 0; text.size() < bytes; ++runs) {
    text += tags[runs % 4];
    text += runs % 8 == 7 ? "plik nr 7^" : "plik nr 7 ";
  }
  return text;
}

// The same characters and lines without the tags: an alignment tag, which
// starts a line, leaves a plain line break.
std::string WithoutTags(const std::string& markup) {
  std::string plain;
  for (size_t i = 0; i < markup.size();) {
    const size_t open = markup.find('<', i);
    plain += markup.substr(i, open - i);
    if (open == std::string::npos) break;
    const size_t close = markup.find('>', open);
    if (close == std::string::npos) break;
    if (markup.compare(open, 3, "<A:") == 0) plain += '^';
    i = close + 1;
  }
  return plain;
}

}  // namespace

int main() {
  cbtHook = SetWindowsHookExW(WH_CBT, &OnActivate, nullptr, GetCurrentThreadId());
  messageHook = SetWindowsHookExW(WH_GETMESSAGE, &OnShown, nullptr, GetCurrentThreadId());
  if (!cbtHook || !messageHook) {
    std::printf("cannot hook the window (error %lu)\n", GetLastError());
    return 1;
  }
  FastestToShown({"warm-up"}, 3);  // the rich-edit library, the fonts, the class

  std::printf("time to the painted window, fastest of the runs\n");
  const size_t sizes[] = {2, 20, 200};
  std::vector<std::string> texts;
  std::vector<size_t> runs(std::size(sizes));
  for (size_t i = 0; i < std::size(sizes); ++i) texts.push_back(ManyRuns(sizes[i] * 1024, runs[i]));
  const std::vector<double> ms = FastestToShown(texts, 5);
  for (size_t i = 0; i < std::size(sizes); ++i) {
    std::printf("  %3zu KB, a style run every 10 characters (%5zu runs): %8.1f ms\n", sizes[i], runs[i], ms[i]);
  }
  std::printf("  200 KB / 20 KB: %.2f (in proportion: 10; at most 12)\n", ms[2] / ms[1]);

  const std::string everyday = kolvex::bench::EverydayMessage(2048);
  const std::vector<double> daily = FastestToShown({WithoutTags(everyday), everyday}, 30);
  std::printf("  2 KB everyday message without tags (baseline): %8.1f ms\n", daily[0]);
  std::printf("  the same with its tags:                        %8.1f ms  (%.2f x baseline; at most 1.2)\n", daily[1],
              daily[1] / daily[0]);
  UnhookWindowsHookEx(messageHook);
  UnhookWindowsHookEx(cbtHook);
  return 0;
}
