// The message window as the user meets it: looks, layout, buttons, check
// box, countdown and keyboard, driven from inside the process.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Exceptions.h"
#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"
#include "messages/MarkupSizing.h"
#include "messages/MessageWindowDriver.h"
#include "messages/MessageWindow_win32.h"

namespace kolvex::test {
namespace {

using B = TMessageButton;
using ::testing::ElementsAre;

MessageOptions Options(std::vector<B> buttons, B defaultButton, TMessageKind kind = TMessageKind::Question) {
  MessageOptions o;
  o.buttons = std::move(buttons);
  o.defaultButton = defaultButton;
  o.kind = kind;
  return o;
}

std::vector<int> ButtonWidths(HWND w) {
  std::vector<int> widths;
  for (HWND b : ButtonsOf(w)) widths.push_back(WidthOf(RectInParent(b)));
  return widths;
}

std::vector<std::string> ButtonCaptions(HWND w) {
  std::vector<std::string> captions;
  for (HWND b : ButtonsOf(w)) captions.push_back(WindowText(b));
  return captions;
}

// The caption's width in the button's own font, "&" prefixes applied.
int CaptionWidthIn(HWND button, const wchar_t* caption) {
  HDC dc = GetDC(button);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
  RECT r{};
  DrawTextW(dc, caption, -1, &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(button, dc);
  return WidthOf(r);
}

TEST(ShowErrorMessage, ShortTextGivesTheStandardErrorWindow) {
  HWND seen = nullptr;
  WindowScript script({
      Once([&](HWND w) {
        seen = w;
        EXPECT_EQ(WindowText(w), "Błąd");
        EXPECT_EQ(WidthOf(OuterRect(w)), 315);
        const auto buttons = ButtonsOf(w);
        ASSERT_EQ(buttons.size(), 1u);
        EXPECT_EQ(WindowText(buttons[0]), "&OK");
        EXPECT_EQ(WidthOf(RectInParent(buttons[0])), 65);
        EXPECT_EQ(HeightOf(RectInParent(buttons[0])), 25);
        EXPECT_EQ(GetFocus(), buttons[0]);
        // Centred in the button row: the division truncates.
        EXPECT_EQ(RectInParent(buttons[0]).left, (WidthOf(ClientRectOf(w)) - 65) / 2);
        const RECT text = RectInParent(TextBoxOf(w));
        EXPECT_EQ(text.left, 55);
        EXPECT_EQ(text.top, 10);
        EXPECT_EQ(WidthOf(text), 245);
        // Message panel at least 50 high, then the button panel: top 14, 45 high.
        const int buttonPanelTop = RectInParent(buttons[0]).top - 14;
        EXPECT_GE(buttonPanelTop, 50);
        EXPECT_EQ(buttonPanelTop, std::max(HeightOf(text) + 10, 50));
        EXPECT_EQ(HeightOf(ClientRectOf(w)), buttonPanelTop + 45);
        EXPECT_FALSE(IsWindowVisible(CheckBoxOf(w)));
        // The error icon, in the window and as the window's own.
        const HICON hand = LoadIconW(nullptr, IDI_HAND);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(IconOf(w), STM_GETICON, 0, 0)), hand);
        EXPECT_EQ(RectInParent(IconOf(w)).left, 10);
        EXPECT_EQ(RectInParent(IconOf(w)).top, 10);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(w, WM_GETICON, ICON_BIG, 0)), hand);
        // A dialog frame without caption buttons, centred on the screen.
        const LONG style = GetWindowLongW(w, GWL_STYLE);
        EXPECT_TRUE(style & WS_CAPTION);
        EXPECT_FALSE(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        const RECT outer = OuterRect(w);
        EXPECT_NEAR(outer.left + WidthOf(outer) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
        EXPECT_NEAR(outer.top + HeightOf(outer) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
        // Every close request before a click is refused.
        SendMessageW(w, WM_CLOSE, 0, 0);
        SendMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
        PostMessageW(w, WM_CLOSE, 0, 0);
        PostKey(buttons[0], VK_ESCAPE);
        PostMessageW(buttons[0], WM_SYSKEYDOWN, VK_F4, 0x20000001);  // Alt+F4
      }),
      Once([](HWND w) {
        EXPECT_TRUE(IsWindowVisible(w));
        Click(ButtonsOf(w).front());
      }),
  });
  ShowErrorMessage("Nie można otworzyć pliku.");
  EXPECT_TRUE(script.Finished());
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_EQ(FindMessageWindow(), nullptr);
}

TEST(ShowMessageWindow, ErrorOkReturnsThreeAndEnterPressesTheFocusedButton) {
  WindowScript script({Once([](HWND) { PostKey(GetFocus(), VK_RETURN); })});
  EXPECT_EQ(ShowMessageWindow("Krótki tekst.", Options({B::OK}, B::OK, TMessageKind::Error)), B::OK);
  EXPECT_TRUE(script.Finished());
}

TEST(ShowMessageWindow, KindsGiveTitlesAndIcons) {
  const struct {
    TMessageKind kind;
    const char* title;
    LPCWSTR icon;
  } kinds[] = {{TMessageKind::Question, "Pytanie", IDI_QUESTION},
               {TMessageKind::Warning, "Uwaga", IDI_EXCLAMATION},
               {TMessageKind::Information, "Informacja", IDI_ASTERISK}};
  for (const auto& k : kinds) {
    WindowScript script({Once([&](HWND w) {
      EXPECT_EQ(WindowText(w), k.title);
      EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(IconOf(w), STM_GETICON, 0, 0)), LoadIconW(nullptr, k.icon));
      EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(w, WM_GETICON, ICON_SMALL, 0)), LoadIconW(nullptr, k.icon));
      Click(ButtonsOf(w).front());
    })});
    EXPECT_EQ(ShowMessageWindow("x", Options({B::OK}, B::OK, k.kind)), B::OK);
  }
}

TEST(ShowMessageWindow, KindOutOfRangeHasNoTitleAndNoIconButWorks) {
  WindowScript script({Once([](HWND w) {
    EXPECT_EQ(WindowText(w), "");
    EXPECT_EQ(SendMessageW(IconOf(w), STM_GETICON, 0, 0), 0);
    EXPECT_EQ(SendMessageW(w, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_EQ(WidthOf(OuterRect(w)), 315);
    Click(ButtonsOf(w).front());
  })});
  EXPECT_EQ(ShowMessageWindow("Bez rodzaju.", Options({B::OK}, B::OK, static_cast<TMessageKind>(7))), B::OK);
  EXPECT_TRUE(script.Finished());
}

int windowsCreated = 0;

LRESULT CALLBACK CountCreatedWindows(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) ++windowsCreated;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(ShowMessageWindow, EmptyButtonListReturnsCancelWithoutAWindow) {
  windowsCreated = 0;
  HHOOK hook = SetWindowsHookExW(WH_CBT, &CountCreatedWindows, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  const B result = ShowMessageWindow("Nic do wyboru.", Options({}, B::OK));
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(result, B::Cancel);
  EXPECT_EQ(windowsCreated, 0);
}

LRESULT CALLBACK RefuseButtons(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && ClassNameOf(reinterpret_cast<HWND>(wParam)) == "TBitBtnKom") return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A window the system will not make: the caller gets the exception, and
// nothing of the half-built window stays behind.
TEST(ShowMessageWindow, FailureWhileBuildingFreesTheWindow) {
  HHOOK hook = SetWindowsHookExW(WH_CBT, &RefuseButtons, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  bool raised = false;
  try {
    ShowMessageWindow("Nie powstanie.", Options({B::OK}, B::OK));
  } catch (const Exception& e) {
    raised = true;
    EXPECT_THAT(e.what(), ::testing::HasSubstr("CreateWindowEx"));
  }
  UnhookWindowsHookEx(hook);
  EXPECT_TRUE(raised);
  EXPECT_EQ(FindMessageWindow(), nullptr);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  // And the next window is built as usual.
  WindowScript script({Once([](HWND w) { Click(ButtonsOf(w)[0]); })});
  EXPECT_EQ(ShowMessageWindow("Powstanie.", Options({B::OK}, B::OK)), B::OK);
}

TEST(ShowMessageWindow, YesNoCancelRowIs220AndTheBoxStartsAt245) {
  WindowScript script({Once([](HWND w) {
    const auto buttons = ButtonsOf(w);
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_THAT(ButtonCaptions(w), ElementsAre("&Tak", "&Nie", "&Anuluj"));
    EXPECT_THAT(ButtonWidths(w), ElementsAre(65, 65, 70));
    const int left = RectInParent(buttons[0]).left;
    EXPECT_EQ(RectInParent(buttons[1]).left - left, 75);
    EXPECT_EQ(RectInParent(buttons[2]).left - left, 150);
    EXPECT_EQ(RectInParent(buttons[2]).right - left, 220);
    EXPECT_EQ(left, (WidthOf(ClientRectOf(w)) - 220) / 2);
    EXPECT_EQ(WidthOf(RectInParent(TextBoxOf(w))), 245);
    EXPECT_EQ(WidthOf(OuterRect(w)), 315);
    EXPECT_EQ(GetFocus(), buttons[1]);  // the default, No
    Click(buttons[2]);
  })});
  EXPECT_EQ(ShowMessageWindow("Zapisać zmiany?", Options({B::Yes, B::No, B::Cancel}, B::No)), B::Cancel);
  EXPECT_TRUE(script.Finished());
}

TEST(ShowMessageWindow, ToAllRowIs410AndWidensTheWindowTo480) {
  WindowScript script({Once([](HWND w) {
    EXPECT_THAT(ButtonCaptions(w), ElementsAre("T&ak na wszystkie", "Nie na &wszystkie", "A&nuluj wszystko"));
    EXPECT_THAT(ButtonWidths(w), ElementsAre(130, 130, 130));
    EXPECT_EQ(WidthOf(RectInParent(TextBoxOf(w))), 410);
    EXPECT_EQ(WidthOf(OuterRect(w)), 480);
    Click(ButtonsOf(w)[1]);
  })});
  EXPECT_EQ(ShowMessageWindow("Zastąpić pliki?", Options({B::YesToAll, B::NoToAll, B::CancelAll}, B::YesToAll)),
            B::NoToAll);
  EXPECT_TRUE(script.Finished());
}

TEST(ShowMessageWindow, EveryFixedButtonReturnsItsValue) {
  const std::vector<B> all{B::Yes,    B::No,       B::Cancel,  B::OK,        B::Help,
                           B::Delete, B::YesToAll, B::NoToAll, B::CancelAll, B::Archive};
  for (std::size_t i = 0; i < all.size(); ++i) {
    WindowScript script({Once([i](HWND w) {
      ASSERT_EQ(ButtonsOf(w).size(), 10u);
      EXPECT_EQ(static_cast<std::size_t>(GetWindowLongPtrW(ButtonsOf(w)[i], GWLP_USERDATA)), i);  // the tag
      Click(ButtonsOf(w)[i]);
    })});
    EXPECT_EQ(ShowMessageWindow("Wszystkie przyciski.", Options(all, B::OK)), all[i]);
  }
}

TEST(ShowMessageWindow, CustomCaptionsAreHandedOutInOrder) {
  for (const int clicked : {0, 1, 2}) {
    WindowScript script({Once([clicked](HWND w) {
      const auto buttons = ButtonsOf(w);
      ASSERT_EQ(buttons.size(), 3u);
      EXPECT_THAT(ButtonCaptions(w), ElementsAre("A", "B", ""));
      EXPECT_THAT(ButtonWidths(w),
                  ElementsAre(CaptionWidthIn(buttons[0], L"A") + 20, CaptionWidthIn(buttons[1], L"B") + 20, 20));
      Click(buttons[static_cast<std::size_t>(clicked)]);
    })});
    MessageOptions o = Options({B::Custom1, B::Custom3, B::Custom1}, B::OK);
    o.customCaptions = "A;B";
    const B expected[] = {B::Custom1, B::Custom3, B::Custom1};
    EXPECT_EQ(ShowMessageWindow("Własne przyciski.", o), expected[clicked]);
    EXPECT_EQ(o.customCaptions, "A;B");
  }
}

TEST(ShowMessageWindow, WideCustomCaptionIsCappedAt300) {
  WindowScript script({Once([](HWND w) {
    EXPECT_GT(CaptionWidthIn(ButtonsOf(w)[0], L"Zapisz wszystkie zmienione dokumenty i zamknij program teraz"), 280);
    EXPECT_THAT(ButtonWidths(w), ElementsAre(300, 70));
    EXPECT_EQ(WidthOf(RectInParent(TextBoxOf(w))), 380);  // the row: 300 + 10 + 70
    Click(ButtonsOf(w)[0]);
  })});
  MessageOptions o = Options({B::Custom4, B::Cancel}, B::Cancel);
  o.customCaptions = "Zapisz wszystkie zmienione dokumenty i zamknij program teraz";
  EXPECT_EQ(ShowMessageWindow("Zamknąć?", o), B::Custom4);
  EXPECT_TRUE(script.Finished());
}

TEST(ShowMessageWindow, BlankButtonSetsNoValue) {
  // Its click sets no value, and the close request that follows it is
  // refused: no real button has been clicked yet.
  WindowScript script({
      Once([](HWND w) {
        const auto buttons = ButtonsOf(w);
        EXPECT_EQ(WindowText(buttons[0]), "");
        EXPECT_EQ(WidthOf(RectInParent(buttons[0])), 75);
        Click(buttons[0]);
      }),
      Once([](HWND w) {
        EXPECT_TRUE(IsWindowVisible(w));
        Click(ButtonsOf(w)[1]);
      }),
  });
  EXPECT_EQ(ShowMessageWindow("Pusty przycisk.", Options({static_cast<B>(20), B::No}, B::No)), B::No);
  EXPECT_TRUE(script.Finished());
}

TEST(CheckBox, BesideYesTheBoxMustBeTickedForYes) {
  WindowScript script({
      Once([](HWND w) {
        HWND check = CheckBoxOf(w);
        ASSERT_TRUE(IsWindowVisible(check));
        EXPECT_EQ(WindowText(check), "Rozumiem skutki");
        EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        // Rows top to bottom: message, check box, buttons.
        const RECT text = RectInParent(TextBoxOf(w));
        const RECT box = RectInParent(check);
        const int messagePanel = std::max(HeightOf(text) + 10, 50);
        EXPECT_EQ(box.left, 55);
        EXPECT_EQ(box.top, messagePanel + 3);
        EXPECT_EQ(WidthOf(box), WidthOf(ClientRectOf(w)) - 55);
        EXPECT_EQ(RectInParent(ButtonsOf(w)[0]).top, messagePanel + 24 + 14);
        EXPECT_EQ(HeightOf(ClientRectOf(w)), messagePanel + 24 + 45);
        Click(ButtonsOf(w)[0]);  // Yes, unticked
      }),
      Once([](HWND w) {
        EXPECT_TRUE(IsWindowVisible(w));
        Click(CheckBoxOf(w));  // ticking and unticking alone never closes
      }),
      Once([](HWND w) {
        EXPECT_TRUE(IsWindowVisible(w));
        Click(CheckBoxOf(w));
      }),
      Once([](HWND w) {
        EXPECT_TRUE(IsWindowVisible(w));
        Click(ButtonsOf(w)[0]);  // Yes, still unticked
      }),
      Once([](HWND w) {
        EXPECT_TRUE(IsWindowVisible(w));
        Click(CheckBoxOf(w));
      }),
      Once([](HWND w) { Click(ButtonsOf(w)[0]); }),
  });
  MessageOptions o = Options({B::Yes, B::No}, B::No);
  o.checkCaption = "Rozumiem skutki";
  EXPECT_EQ(ShowMessageWindow("Usunąć wszystkie pliki?", o), B::Yes);
  EXPECT_TRUE(script.Finished());
}

TEST(CheckBox, BesideYesNoClosesAtOnce) {
  WindowScript script({Once([](HWND w) { Click(ButtonsOf(w)[1]); })});
  MessageOptions o = Options({B::Yes, B::No}, B::Yes);
  o.checkCaption = "Rozumiem skutki";
  EXPECT_EQ(ShowMessageWindow("Usunąć?", o), B::No);
  EXPECT_TRUE(script.Finished());
}

TEST(CheckBox, BesideALoneOkTurnsOkIntoYes) {
  for (const bool tick : {true, false}) {
    WindowScript script({
        Once([tick](HWND w) {
          ASSERT_TRUE(IsWindowVisible(CheckBoxOf(w)));
          if (tick) Click(CheckBoxOf(w));
        }),
        Once([](HWND w) { Click(ButtonsOf(w)[0]); }),
    });
    MessageOptions o = Options({B::OK}, B::OK, TMessageKind::Information);
    o.checkCaption = "Nie pokazuj więcej";
    EXPECT_EQ(ShowMessageWindow("Gotowe.", o), tick ? B::Yes : B::OK);
    EXPECT_TRUE(script.Finished());
  }
}

TEST(CheckBox, HiddenBesideOtherButtons) {
  WindowScript script({Once([](HWND w) {
    EXPECT_FALSE(IsWindowVisible(CheckBoxOf(w)));
    const int messagePanel = std::max(HeightOf(RectInParent(TextBoxOf(w))) + 10, 50);
    EXPECT_EQ(HeightOf(ClientRectOf(w)), messagePanel + 45);
    Click(ButtonsOf(w)[0]);
  })});
  MessageOptions o = Options({B::OK, B::Cancel}, B::OK);
  o.checkCaption = "Nie pokazuj więcej";
  EXPECT_EQ(ShowMessageWindow("Dwa przyciski.", o), B::OK);  // not Yes: no check box
  EXPECT_TRUE(script.Finished());
}

TEST(Keyboard, EnterInTheTextBoxMovesFocusToTheDefaultButton) {
  WindowScript script({
      Once([](HWND w) {
        SetFocus(TextBoxOf(w));
        ASSERT_EQ(GetFocus(), TextBoxOf(w));
        PostKey(TextBoxOf(w), VK_RETURN);
      }),
      Once([](HWND w) {
        EXPECT_TRUE(IsWindowVisible(w));
        EXPECT_EQ(GetFocus(), ButtonsOf(w)[1]);
        PostKey(GetFocus(), VK_RETURN);  // now Enter presses it
      }),
  });
  EXPECT_EQ(ShowMessageWindow("Naciśnij Enter.", Options({B::Yes, B::No}, B::No)), B::No);
  EXPECT_TRUE(script.Finished());
}

TEST(Keyboard, AcceleratorsPressButtonsTabMovesEscapeDoesNothing) {
  WindowScript script({
      Once([](HWND w) {
        EXPECT_EQ(GetFocus(), ButtonsOf(w)[0]);
        PostKey(GetFocus(), VK_ESCAPE);
        PostKey(GetFocus(), VK_TAB);
      }),
      Once([](HWND w) {
        EXPECT_TRUE(IsWindowVisible(w));
        EXPECT_EQ(GetFocus(), ButtonsOf(w)[1]);
        PostMessageW(GetFocus(), WM_SYSCHAR, L'a', 0x20000001);  // Alt+A: "&Anuluj"
      }),
  });
  EXPECT_EQ(ShowMessageWindow("Skróty.", Options({B::Yes, B::No, B::Cancel}, B::Yes)), B::Cancel);
  EXPECT_TRUE(script.Finished());

  // A plain letter typed on a button is an accelerator too, in either case.
  WindowScript plain({Once([](HWND) { PostMessageW(GetFocus(), WM_CHAR, L'U', 1); })});
  EXPECT_EQ(ShowMessageWindow("Usunąć?", Options({B::Yes, B::Delete}, B::Yes)), B::Delete);
  EXPECT_TRUE(plain.Finished());
}

// Every title the window is given, however briefly it shows.
LRESULT CALLBACK RecordTitles(HWND w, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR titles) {
  if (message == WM_SETTEXT) {
    reinterpret_cast<std::vector<std::wstring>*>(titles)->push_back(reinterpret_cast<const wchar_t*>(lParam));
  }
  return DefSubclassProc(w, message, wParam, lParam);
}

TEST(Keyboard, SpacePressesTheFocusedButton) {
  WindowScript script({Once([](HWND w) {
    EXPECT_EQ(GetFocus(), ButtonsOf(w)[1]);
    PostKey(GetFocus(), VK_SPACE);
  })});
  EXPECT_EQ(ShowMessageWindow("Spacja.", Options({B::Yes, B::No}, B::No)), B::No);
  EXPECT_TRUE(script.Finished());
}

TEST(Keyboard, CheckBoxHasItsAcceleratorToo) {
  WindowScript script({
      Once([](HWND) { PostMessageW(GetFocus(), WM_SYSCHAR, L'z', 0x20000001); }),  // Alt+Z
      Once([](HWND w) {
        EXPECT_EQ(SendMessageW(CheckBoxOf(w), BM_GETCHECK, 0, 0), BST_CHECKED);
        PostMessageW(GetFocus(), WM_SYSCHAR, L't', 0x20000001);  // Alt+T: "&Tak"
      }),
  });
  MessageOptions o = Options({B::Yes, B::No}, B::No);
  o.checkCaption = "&Zastosuj do wszystkich";
  EXPECT_EQ(ShowMessageWindow("Zastąpić?", o), B::Yes);
  EXPECT_TRUE(script.Finished());
}

TEST(Countdown, ThreeSecondsTitlesThenDefaultNo) {
  std::vector<std::wstring> titles;
  WindowScript script({
      Once([&](HWND w) {
        titles.push_back(Widen(WindowText(w)));
        SetWindowSubclass(w, &RecordTitles, 1, reinterpret_cast<DWORD_PTR>(&titles));
      }),
      [](HWND) { return false; },  // wait for the countdown
  });
  MessageOptions o = Options({B::Yes, B::No}, B::No);
  o.seconds = 3;
  const DWORD start = GetTickCount();
  const B result = ShowMessageWindow("Kontynuować?", o);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_EQ(result, B::No);
  EXPECT_THAT(titles, ElementsAre(L"Pytanie 3s", L"Pytanie 2s", L"Pytanie 1s", L"Pytanie 0s"));
  EXPECT_GE(elapsed, 2800u);
  EXPECT_LT(elapsed, 10000u);
}

TEST(Countdown, DefaultMissingReturnsYesAndTheFirstButtonHasTheFocus) {
  WindowScript script({
      Once([](HWND w) {
        EXPECT_EQ(WindowText(w), "Informacja 1s");
        EXPECT_EQ(GetFocus(), ButtonsOf(w)[0]);
      }),
      [](HWND) { return false; },
  });
  MessageOptions o = Options({B::No, B::Cancel}, B::OK, TMessageKind::Information);
  o.seconds = 1;
  EXPECT_EQ(ShowMessageWindow("Za chwilę.", o), B::Yes);
}

TEST(Countdown, RefusedAtZeroLeavesThePlainTitleAndWaits) {
  WindowScript script({
      [](HWND w) { return WindowText(w) == "Pytanie"; },  // the countdown has run out, the close was refused
      Once([](HWND w) {
        EXPECT_TRUE(IsWindowVisible(w));
        Click(CheckBoxOf(w));
      }),
      Once([](HWND w) {
        EXPECT_TRUE(IsWindowVisible(w));  // the tick alone does not close
        EXPECT_EQ(WindowText(w), "Pytanie");
        Click(ButtonsOf(w)[0]);
      }),
  });
  MessageOptions o = Options({B::Yes, B::No}, B::Yes);
  o.checkCaption = "Potwierdzam";
  o.seconds = 1;
  EXPECT_EQ(ShowMessageWindow("Na pewno?", o), B::Yes);
  EXPECT_TRUE(script.Finished());
}

TEST(Countdown, NoneForZeroOrLessSeconds) {
  for (const int seconds : {0, -5}) {
    WindowScript script({Once([](HWND w) {
      EXPECT_EQ(WindowText(w), "Uwaga");
      Click(ButtonsOf(w)[0]);
    })});
    MessageOptions o = Options({B::OK}, B::OK, TMessageKind::Warning);
    o.seconds = seconds;
    EXPECT_EQ(ShowMessageWindow("Bez odliczania.", o), B::OK);
  }
}

// Thousands of style runs: the whole text is shown, the box takes the
// screen's limit and wraps, and its height follows its lines.
TEST(Markup, TwentyKilobytesOfStyleRunsAreShownAndSizedByTheRules) {
  std::string text;
  int units = 0;
  for (; text.size() < 20 * 1024; ++units) text += "<B>Ab</B><I>cd</I><U>ef</U><C:clRed>gh<C:clDefault> ";
  WindowScript script({Once([units](HWND w) {
    HWND box = TextBoxOf(w);
    GETTEXTLENGTHEX length{GTL_NUMCHARS, 1200};
    EXPECT_EQ(SendMessageW(box, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0), 9 * units);
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    const int limit = screen - 2 * SideMargin(screen, 1) - 55 - 10;
    EXPECT_EQ(WidthOf(RectInParent(box)), limit);
    EXPECT_EQ(WidthOf(OuterRect(w)), 55 + limit + 15);
    const auto lines = static_cast<int>(SendMessageW(box, EM_GETLINECOUNT, 0, 0));
    EXPECT_GT(lines, 20);
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT bold = CreateFontW(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, EASTEUROPE_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
    HGDIOBJ old = SelectObject(dc, bold);
    SIZE sample{};
    GetTextExtentPoint32W(dc, L"MYy", 3, &sample);
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    EXPECT_EQ(HeightOf(RectInParent(box)), (lines + 1) * sample.cy);
    Click(ButtonsOf(w)[0]);
  })});
  ShowErrorMessage(text);
  EXPECT_TRUE(script.Finished());
}

// A window that would not fit the screen's work area takes its height or
// width; the text scrolls, the buttons and the check box stay within reach.
TEST(ShowMessageWindow, StaysInsideTheWorkArea) {
  std::string lines;
  for (int i = 0; i < 70; ++i) lines += "Linia " + std::to_string(i) + ": <B>modul.dll</B> nie został skopiowany.^";
  const std::string wide = std::string(60, 'W') + ";";
  const struct {
    const char* name;
    std::string text;
    std::vector<B> buttons;
    std::string captions;
    bool scrolls;
  } cases[] = {{"taller", lines, {B::Yes, B::No}, "", true},
               {"wider", "Krótko.", {B::Custom1, B::Custom2, B::Custom3, B::Custom4}, wide + wide + wide + wide,
                false}};
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  for (const auto& c : cases) {
    WindowScript script({Once([&](HWND w) {
      auto inside = [](const RECT& r, const RECT& area) {
        return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
      };
      EXPECT_TRUE(inside(OuterRect(w), work)) << c.name;
      RECT client = ClientRectOf(w);
      MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&client), 2);
      std::vector<HWND> controls = ButtonsOf(w);
      if (IsWindowVisible(CheckBoxOf(w))) controls.push_back(CheckBoxOf(w));
      EXPECT_EQ(controls.size(), c.buttons.size() + (c.scrolls ? 1 : 0)) << c.name;
      for (HWND control : controls) EXPECT_TRUE(inside(OuterRect(control), client)) << c.name;
      SCROLLINFO scroll{};
      scroll.cbSize = sizeof scroll;
      scroll.fMask = SIF_RANGE | SIF_PAGE;
      const bool scrolls = GetScrollInfo(TextBoxOf(w), SB_VERT, &scroll) && scroll.nPage > 0 &&
                           scroll.nMax - scroll.nMin + 1 > static_cast<int>(scroll.nPage);
      EXPECT_EQ(scrolls, c.scrolls) << c.name;
      if (c.scrolls) SaveScreenshot(w, "long-message");
      Click(ButtonsOf(w).back());
    })});
    MessageOptions o = Options(c.buttons, B::OK, TMessageKind::Warning);
    o.customCaptions = c.captions;
    o.checkCaption = "Pokaż mi to jeszcze raz";
    ShowMessageWindow(c.text, o);
    EXPECT_TRUE(script.Finished()) << c.name;
  }
}

// What the verified copy shows when a copy fails: three left-aligned lines,
// the middle one empty; the system text's own CR LF adds no line.
TEST(Markup, CopyFailureMessageRendersAsThreeLines) {
  const std::string reason = GetErrorString(ERROR_SHARING_VIOLATION);
  ASSERT_GE(reason.size(), 2u);
  ASSERT_EQ(reason.substr(reason.size() - 2), "\r\n");
  const std::wstring wideReason = Widen(reason);
  const std::wstring reasonLine = wideReason.substr(0, wideReason.size() - 2);
  WindowScript script({Once([&](HWND w) {
    HWND box = TextBoxOf(w);
    GETTEXTLENGTHEX length{GTL_NUMCHARS, 1200};
    const auto n =
        static_cast<std::size_t>(SendMessageW(box, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
    std::wstring text(n + 1, L'\0');
    GETTEXTEX get{static_cast<DWORD>((n + 1) * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    text.resize(static_cast<std::size_t>(
        SendMessageW(box, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data()))));
    std::vector<std::wstring> paragraphs;
    std::size_t from = 0;
    for (std::size_t cr; (cr = text.find(L'\r', from)) != std::wstring::npos; from = cr + 1) {
      paragraphs.push_back(text.substr(from, cr - from));
    }
    paragraphs.push_back(text.substr(from));
    EXPECT_THAT(paragraphs, ElementsAre(L"Błąd kopiowania pliku: prog.exe", L"", reasonLine, L""));
    long start = 0;
    for (const auto& p : paragraphs) {
      SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(start), start);
      PARAFORMAT2 format{};
      format.cbSize = sizeof format;
      SendMessageW(box, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
      EXPECT_EQ(format.wAlignment, PFA_LEFT) << "paragraph at " << start;
      start += static_cast<long>(p.size()) + 1;
    }
    SaveScreenshot(w, "copy-error");
    Click(ButtonsOf(w)[0]);
  })});
  ShowErrorMessage("Błąd kopiowania pliku: prog.exe\r\r" + reason);
  EXPECT_TRUE(script.Finished());
}

}  // namespace
}  // namespace kolvex::test
