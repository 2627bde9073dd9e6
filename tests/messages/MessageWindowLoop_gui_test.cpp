// The message window's modal loop in a process that has no other window
// and no loop of its own (the launcher): what it leaves behind, what it
// does to the thread's other windows, how it is driven from another thread
// and from another process; and screenshots for a person to look at.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "common/win32/Utf.h"
#include "messages/MessageWindowDriver.h"
#include "messages/MessageWindow_win32.h"
#include "support/Robot.h"

namespace kolvex::test {
namespace {

using B = TMessageButton;

// Every message still in this thread's queue, removed.
std::vector<UINT> DrainQueue() {
  std::vector<UINT> left;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) left.push_back(msg.message);
  return left;
}

// The generic error box follows the message window in the launcher: it must
// stay up until it is answered, so nothing may be left to end it early.
int windowsBoxTicks = 0;

BOOL CALLBACK PressOkOfMessageBox(HWND w, LPARAM) {
  if (ClassNameOf(w) == "#32770") PostMessageW(w, WM_COMMAND, IDOK, 0);
  return TRUE;
}

void CALLBACK AnswerMessageBox(HWND, UINT, UINT_PTR, DWORD) {
  if (++windowsBoxTicks >= 10) EnumThreadWindows(GetCurrentThreadId(), &PressOkOfMessageBox, 0);  // ~200 ms
}

TEST(ModalLoop, SecondThreadDrivesItAndNothingIsLeftInTheQueue) {
  const DWORD uiThread = GetCurrentThreadId();
  std::atomic<bool> focusWasOk{false};
  std::thread driver([&] {
    HWND w = nullptr;
    for (int i = 0; i < 500 && !(w = FindMessageWindowOfProcess(GetCurrentProcessId())); ++i) Sleep(10);
    ASSERT_NE(w, nullptr);
    Sleep(100);
    HWND ok = FindWindowExW(w, nullptr, L"TBitBtnKom", nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(uiThread, &info)) focusWasOk = info.hwndFocus == ok && info.hwndActive == w;
    // Requests that are refused, a click, then messages that arrive too late.
    for (int i = 0; i < 3; ++i) PostMessageW(w, WM_CLOSE, 0, 0);
    PostMessageW(ok, BM_CLICK, 0, 0);
    for (int i = 0; i < 3; ++i) PostMessageW(w, WM_CLOSE, 0, 0);
    PostMessageW(ok, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(w, WM_TIMER, 1, 0);
  });
  ShowErrorMessage("Sterowane z drugiego wątku.");
  driver.join();
  EXPECT_TRUE(focusWasOk);
  EXPECT_EQ(FindMessageWindow(), nullptr);
  EXPECT_EQ(DrainQueue(), std::vector<UINT>{});

  windowsBoxTicks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, &AnswerMessageBox);
  const int answer = MessageBoxW(nullptr, L"Następne okno", L"Application Error", MB_OK | MB_TASKMODAL);
  KillTimer(nullptr, timer);
  EXPECT_EQ(answer, IDOK);
  EXPECT_GE(windowsBoxTicks, 10);
}

TEST(ModalLoop, QuitRequestIsPassedOnAfterTheWindowCloses) {
  {
    WindowScript script({
        Once([](HWND) { PostQuitMessage(5); }),
        Once([](HWND w) {
          EXPECT_TRUE(IsWindowVisible(w));  // not a way to dismiss the window
          Click(ButtonsOf(w).front());
        }),
    });
    EXPECT_EQ(ShowMessageWindow("Koniec wątku.", {.buttons = {B::OK}, .defaultButton = B::OK}), B::OK);
    EXPECT_TRUE(script.Finished());
  }
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 5u);
  EXPECT_EQ(DrainQueue(), std::vector<UINT>{});
}

// Not a way the window is meant to go, but the loop must not outlive it.
TEST(ModalLoop, EndsWhenTheWindowIsDestroyedUnderIt) {
  WindowScript script({Once([](HWND w) { DestroyWindow(w); })});
  EXPECT_EQ(ShowMessageWindow("Zniszczone.", {.buttons = {B::Yes, B::No}, .defaultButton = B::No}), B::No);
  EXPECT_TRUE(script.Finished());
}

TEST(ModalLoop, OtherWindowsOfTheThreadAreDisabledMeanwhile) {
  HWND other = CreateWindowExW(0, L"STATIC", L"Postęp", WS_POPUP | WS_CAPTION | WS_VISIBLE, 10, 10, 200, 80, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  HWND hidden = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  WindowScript script({Once([&](HWND w) {
    EXPECT_FALSE(IsWindowEnabled(other));
    EXPECT_TRUE(IsWindowEnabled(hidden));
    EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr);  // no owner, whatever else is up
    Click(ButtonsOf(w).front());
  })});
  ShowErrorMessage("Nad innym oknem.");
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(IsWindowEnabled(other));
  DestroyWindow(hidden);
  DestroyWindow(other);
  DrainQueue();
}

TEST(Screenshots, QuestionWithCountdownAndCheckBox) {
  WindowScript script({
      [](HWND) { return true; },  // one tick to paint
      Once([](HWND w) {
        EXPECT_TRUE(SaveScreenshot(w, "question-countdown-check"));
        Click(ButtonsOf(w)[1]);
      }),
  });
  const B result = ShowMessageWindow("Plik „zażółć gęślą jaźń.doc” już istnieje.^Czy zastąpić go nowszą wersją?",
                                     {.buttons = {B::Yes, B::No, B::Cancel},
                                      .defaultButton = B::No,
                                      .kind = TMessageKind::Question,
                                      .checkCaption = "&Zastosuj do wszystkich plików",
                                      .seconds = 30});
  EXPECT_EQ(result, B::No);
  EXPECT_TRUE(script.Finished());
}

TEST(Screenshots, FormattedMarkup) {
  WindowScript script({
      [](HWND) { return true; },
      Once([](HWND w) {
        EXPECT_TRUE(SaveScreenshot(w, "formatted-markup"));
        Click(ButtonsOf(w)[0]);
      }),
  });
  const B result = ShowMessageWindow(
      "<B>Aktualizacja programu</B> zakończyła się <C:clRed>błędem<C:clWindowText>."
      "<A:CENTER><I>Źródło:</I> <U>\\\\serwer\\wspólne\\prog.exe</U>"
      "<A:LEFT>Spróbuj ponownie później albo <B>zadzwoń</B> do działu IT.",
      {.buttons = {B::OK, B::Help}, .defaultButton = B::OK, .kind = TMessageKind::Warning});
  EXPECT_EQ(result, B::OK);
  EXPECT_TRUE(script.Finished());
}

// The preview tool, run and driven as another process would.
TEST(Msgpreview, CountdownAnswersTheDefault) {
  const ProcessResult r = RunProcess(BinDir() + "\\msgpreview.exe",
                                     "msgpreview.exe -k Question -b Yes,No -d No -s 1 \"Kontynuować?\"", 20000);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 1u);
}

TEST(Msgpreview, ClickFromOutsideIsReturned) {
  Process preview(BinDir() + "\\msgpreview.exe",
                  "msgpreview.exe --buttons Custom1,Custom2,7 --captions \"Zapisz;Porzuć\" --kind 9 "
                  "\"Zapisać zmiany?^<B>dokument.txt</B>\"");
  HWND w = nullptr;
  for (int i = 0; i < 1000 && !(w = FindMessageWindowOfProcess(preview.id())); ++i) Sleep(10);
  ASSERT_NE(w, nullptr);
  const auto buttons = ButtonsOf(w);
  ASSERT_EQ(buttons.size(), 3u);
  EXPECT_EQ(WindowText(buttons[1]), "Porzuć");
  EXPECT_EQ(WindowText(buttons[2]), "Nie na &wszystkie");
  EXPECT_EQ(WindowText(w), "");        // kind 9 has no title
  PostMessageW(w, WM_CLOSE, 0, 0);  // refused
  PostMessageW(buttons[1], BM_CLICK, 0, 0);
  const ProcessResult r = preview.Wait(10000);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 11u);
}

TEST(Msgpreview, WrongArgumentsShowNothing) {
  // 255, which no button returns: 256 would arrive as 1, the value of No.
  for (const char* args : {"msgpreview.exe", "msgpreview.exe -b Maybe x", "msgpreview.exe -s ten x",
                           "msgpreview.exe -k 256 x", "msgpreview.exe a b", "msgpreview.exe -b 255 x",
                           "msgpreview.exe \"-5 stopni\""}) {
    const ProcessResult r = RunProcess(BinDir() + "\\msgpreview.exe", args, 10000);
    ASSERT_TRUE(r.finished) << args;
    EXPECT_EQ(r.exitCode, 255u) << args;
  }
  const ProcessResult help = RunProcess(BinDir() + "\\msgpreview.exe", "msgpreview.exe --help", 10000);
  EXPECT_EQ(help.exitCode, 0u);
  const ProcessResult none = RunProcess(BinDir() + "\\msgpreview.exe", "msgpreview.exe -b \"\" x", 10000);
  EXPECT_EQ(none.exitCode, 2u);  // no buttons: Cancel, nothing shown
}

// -f reads a file in each encoding authors save in; the header tag works in all.
TEST(Msgpreview, FileInTheEncodingsAuthorsUse) {
  const std::string polish = "Zażółć gęślą jaźń";
  const std::string cp1250 = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1";
  std::string utf16 = "\xFF\xFE";
  for (const wchar_t c : Widen("<FONT:Arial>" + polish)) utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  const struct {
    const char* name;
    std::string bytes;
    std::string shown;
  } files[] = {{"utf8-bom", "\xEF\xBB\xBF<FONT:Arial>" + polish, polish},
               {"utf8", "<FONT:Arial>" + polish, polish},
               {"utf16", utf16, polish},
               {"ansi", "<FONT:Arial>" + cp1250, GetACP() == 1250 ? polish : FromAnsi(cp1250)}};
  TempDir dir;
  for (const auto& f : files) {
    WriteFileBytes(dir / f.name, f.bytes);
    Process preview(BinDir() + "\\msgpreview.exe", "msgpreview.exe -f \"" + (dir / f.name) + "\"");
    const HWND w = WaitForWindow({.title = "Informacja", .processId = preview.id()}, 10000);
    ASSERT_NE(w, nullptr) << f.name;
    const WindowInfo info = Inspect(w);
    const auto box = std::find_if(info.controls.begin(), info.controls.end(),
                                  [](const ControlInfo& c) { return c.className == "RichEdit50W"; });
    ASSERT_NE(box, info.controls.end()) << f.name;
    EXPECT_EQ(box->text, f.shown) << f.name;
    PostMessageW(FindWindowExW(w, nullptr, L"TBitBtnKom", nullptr), BM_CLICK, 0, 0);
    EXPECT_EQ(preview.Wait(10000).exitCode, 3u) << f.name;
  }
}

}  // namespace
}  // namespace kolvex::test
