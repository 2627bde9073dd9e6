// The update-progress window on a real screen: its frame and elements where
// the form puts them, one window for many calls, a long name cut at the
// label's edge, and paint that reaches the screen without a message loop.
#include "launcher/ProgressWindow_win32.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/win32/Utf.h"
#include "support/Robot.h"
#include "support/TestSupport.h"

namespace kolvex::test {
namespace {

constexpr char kLongName[] =
    "Aktualizacja sk\u0142adnika KSI\u0118GOWO\u015A\u0106_KADRY_P\u0141ACE_ROZRACHUNKI_MAGAZYN_SPRZEDA\u017B.EXE";

// Top-level progress windows of a process, hidden ones included.
std::vector<HWND> ProgressWindowsOf(DWORD processId) {
  return FindTopWindows({.processId = processId, .className = "TfTrwaAktualizacja", .visibleOnly = false});
}

void ExpectRect(HWND element, int left, int top, int width, int height) {
  const RECT r = RectInParent(element);
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right - r.left, width);
  EXPECT_EQ(r.bottom - r.top, height);
}

bool IsFace(COLORREF c) { return c == GetSysColor(COLOR_BTNFACE); }
// Text is drawn in the window-text colour; anti-aliased edges lie in between.
bool IsInk(COLORREF c) { return GetRValue(c) < 0x80 && GetGValue(c) < 0x80 && GetBValue(c) < 0x80; }

// Counts ink pixels of a client rectangle [x0, x1) x [y0, y1).
int InkIn(const Screenshot& shot, int x0, int y0, int x1, int y1) {
  int ink = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) ink += IsInk(shot.client(x, y));
  return ink;
}

void SaveArtifact(const Screenshot& shot, const std::string& name) {
  const std::string dir = BinDir() + "\\..\\artifacts";
  CreateDirectoryW(Widen(dir).c_str(), nullptr);
  EXPECT_TRUE(SaveBitmap(shot, dir + "\\" + name));
}

TEST(ProgressWindow, TwoCallsMakeOneWindowShowingTheSecondName) {
  ProgressWindow progress;
  progress.RefreshingProgram("bin\\prog.exe");
  progress.Copying(1, 4);
  EXPECT_FALSE(progress.Form()) << "the program's quick copy shows no window";
  Sleep(1050);
  progress.Copying(2, 4);  // a second into its copy: the program's name
  ASSERT_TRUE(progress.Form());
  const HWND first = progress.Form()->Handle();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(WindowText(progress.Form()->L_NazwaSkl()), "PROG.EXE");

  const DWORD start = GetTickCount();
  progress.Show("POMOC.CHM");
  // GetTickCount moves in steps of up to 16 ms, and a sleep may end early by one.
  EXPECT_GE(GetTickCount() - start, 470u) << "each name stays in sight for half a second";

  EXPECT_EQ(progress.Form()->Handle(), first);
  EXPECT_EQ(ProgressWindowsOf(GetCurrentProcessId()), std::vector<HWND>{first});
  EXPECT_TRUE(IsWindowVisible(first));
  EXPECT_EQ(WindowText(progress.Form()->L_NazwaSkl()), "POMOC.CHM");
  EXPECT_EQ(WindowText(progress.Form()->Label1()), "Trwa aktualizacja sk\u0142adnika ...");
}

TEST(ProgressWindow, IsCreatedHiddenWithoutOwner) {
  TfTrwaAktualizacja form;
  ASSERT_NE(form.Handle(), nullptr);
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  EXPECT_EQ(GetWindow(form.Handle(), GW_OWNER), nullptr);
  EXPECT_EQ(GetParent(form.Handle()), nullptr);
}

TEST(ProgressWindow, FrameAndElementsAsLaidOut) {
  ProgressWindow progress;
  progress.Show("PROG.EXE");
  const HWND wnd = progress.Form()->Handle();
  const WindowInfo info = Inspect(wnd);
  EXPECT_EQ(info.className, "TfTrwaAktualizacja");
  EXPECT_EQ(info.title, "Aktualizacja");
  EXPECT_EQ(info.clientSize.cx, 326);
  EXPECT_EQ(info.clientSize.cy, 59);
  const int centreX = (info.rect.left + info.rect.right) / 2, centreY = (info.rect.top + info.rect.bottom) / 2;
  EXPECT_NEAR(centreX, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR(centreY, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  EXPECT_EQ(info.style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  EXPECT_EQ(info.style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD), 0u)
      << "no caption buttons, no sizing";
  EXPECT_EQ(info.exStyle & WS_EX_CONTEXTHELP, 0u);
  EXPECT_NE(info.exStyle & WS_EX_DLGMODALFRAME, 0u);
  EXPECT_EQ(GetWindow(wnd, GW_OWNER), nullptr);

  // Every element is a visible child of the form, where the form puts it.
  ASSERT_EQ(info.controls.size(), 6u);
  for (const ControlInfo& c : info.controls) {
    EXPECT_EQ(c.parent, wnd);
    EXPECT_TRUE(c.visible);
  }
  ExpectRect(progress.Form()->Panel1(), 0, 0, 326, 59);
  ExpectRect(progress.Form()->Bevel1(), 6, 6, 313, 47);
  ExpectRect(progress.Form()->Image1(), 15, 13, 32, 32);
  ExpectRect(progress.Form()->L_NazwaSkl(), 55, 13, 255, 15);
  ExpectRect(progress.Form()->L_Postep(), 260, 30, 50, 15);
  const RECT label1 = RectInParent(progress.Form()->Label1());
  EXPECT_EQ(label1.left, 55);
  EXPECT_EQ(label1.top, 30);
  EXPECT_LE(label1.right, 260) << "the fixed text ends before the share copied";
  EXPECT_LE(label1.bottom, 6 + 47);
  EXPECT_NE(SendMessageW(progress.Form()->Image1(), STM_GETIMAGE, IMAGE_ICON, 0), 0) << "the icon is loaded";

  // Both labels: Arial 9 pt (12 px), Central European characters.
  for (HWND label : {progress.Form()->L_NazwaSkl(), progress.Form()->Label1()}) {
    LOGFONTW lf{};
    const auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(GetObjectW(font, sizeof lf, &lf), static_cast<int>(sizeof lf));
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"Arial");
    EXPECT_EQ(lf.lfHeight, -12);
    EXPECT_EQ(lf.lfCharSet, EASTEUROPE_CHARSET);
    EXPECT_NE(GetWindowLongW(label, GWL_STYLE) & SS_NOPREFIX, 0) << "an & in a file name is shown as it is";
  }
}

TEST(ProgressWindow, PaintsFrameIconAndTextsOnTheScreen) {
  ProgressWindow progress;
  progress.Show("ZA\u017B\u00d3\u0141\u0106 G\u0118\u015AL\u0104 JA\u0179\u0143.EXE");
  const Screenshot shot = CaptureWindow(progress.Form()->Handle());
  ASSERT_FALSE(shot.pixels.empty());
  SaveArtifact(shot, "progress-window.bmp");

  // Panel1 raised (light above and left, dark below and right), Bevel1
  // lowered (the other way round), button face in between.
  EXPECT_EQ(shot.client(0, 20), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(shot.client(200, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(shot.client(325, 20), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.client(200, 58), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.client(6, 20), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.client(200, 6), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.client(318, 20), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(shot.client(200, 52), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_TRUE(IsFace(shot.client(3, 3)));
  EXPECT_TRUE(IsFace(shot.client(10, 49)));

  // The hourglass: its sand somewhere inside Image1's square, nothing outside.
  bool sand = false;
  for (int y = 13; y < 45; ++y)
    for (int x = 15; x < 47; ++x) sand |= shot.client(x, y) == RGB(240, 186, 56);
  EXPECT_TRUE(sand);
  EXPECT_TRUE(IsFace(shot.client(14, 28)));
  EXPECT_TRUE(IsFace(shot.client(48, 28)));

  EXPECT_GT(InkIn(shot, 55, 13, 310, 28), 40) << "the component name";
  EXPECT_GT(InkIn(shot, 55, 30, 310, 45), 40) << "the fixed text";
}

TEST(ProgressWindow, LongNameIsCutAtTheLabelsEdgeNotWrapped) {
  ProgressWindow progress;
  progress.Show("PROG.EXE");
  const HWND label = progress.Form()->L_NazwaSkl();
  const LONG type = GetWindowLongW(label, GWL_STYLE) & SS_TYPEMASK;
  EXPECT_EQ(type, SS_LEFTNOWORDWRAP);
  const Screenshot shortName = CaptureWindow(progress.Form()->Handle());
  ASSERT_FALSE(shortName.pixels.empty());
  EXPECT_EQ(InkIn(shortName, 270, 13, 310, 28), 0) << "a short name leaves the end of the label empty";

  progress.Show(kLongName);
  EXPECT_EQ(WindowText(label), kLongName) << "the whole name is kept, only its display is cut";
  ExpectRect(label, 55, 13, 255, 15);
  const Screenshot longName = CaptureWindow(progress.Form()->Handle());
  ASSERT_FALSE(longName.pixels.empty());
  SaveArtifact(longName, "progress-window-long-name.bmp");
  // Wrapped, the name would break after "składnika" and leave the rest of the
  // line empty; cut, it runs on to the label's right edge and stops there.
  EXPECT_GT(InkIn(longName, 290, 13, 310, 28), 0) << "the name runs to the edge";
  EXPECT_EQ(InkIn(longName, 310, 8, 318, 51), 0) << "nothing beyond the label";
  EXPECT_EQ(InkIn(longName, 55, 28, 310, 30), 0) << "no second line below the label";
}

TEST(ProgressWindow, CloseRequestHidesItUntilTheNextName) {
  ProgressWindow progress;
  progress.Show("PROG.EXE");
  const HWND wnd = progress.Form()->Handle();
  SendMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4
  EXPECT_TRUE(IsWindow(wnd));
  EXPECT_FALSE(IsWindowVisible(wnd));
  progress.Show("DRUGI.EXE");
  EXPECT_EQ(progress.Form()->Handle(), wnd);
  EXPECT_TRUE(IsWindowVisible(wnd));
}

// The launcher shows the window and then copies with no message loop: what
// reaches the screen must come from the paint done inside ProgressWindow::Show.
TEST(ProgressWindow, AnotherProcessWithoutMessageLoopShowsItFullyPainted) {
  const std::string exe = BinDir() + "\\showwindow.exe";
  Process shown(exe, "\"" + exe + "\" progress PROG.EXE \"DRUGI SK\u0141ADNIK.DLL\"");
  const HWND wnd = WaitForWindow({.title = "Aktualizacja", .processId = shown.id()}, 10000);
  ASSERT_NE(wnd, nullptr);
  // Texts are read while the other process sleeps: the stored texts.
  WindowInfo info;
  const bool secondName = WaitUntil(
      [&] {
        info = Inspect(wnd);
        return FindControl(info, "DRUGI SK\u0141ADNIK.DLL").has_value();
      },
      5000);
  ASSERT_TRUE(secondName) << "the second name is shown";
  EXPECT_TRUE(FindControl(info, "Trwa aktualizacja sk\u0142adnika ...").has_value());
  EXPECT_EQ(ProgressWindowsOf(shown.id()).size(), 1u);
  Sleep(100);  // past the last paint

  const Screenshot shot = CaptureWindow(wnd);
  ASSERT_FALSE(shot.pixels.empty());
  SaveArtifact(shot, "progress-window-other-process.bmp");
  EXPECT_GT(InkIn(shot, 55, 13, 310, 28), 40);
  EXPECT_GT(InkIn(shot, 55, 30, 310, 45), 40);
  bool sand = false;
  for (int y = 13; y < 45; ++y)
    for (int x = 15; x < 47; ++x) sand |= shot.client(x, y) == RGB(240, 186, 56);
  EXPECT_TRUE(sand);
}

}  // namespace
}  // namespace kolvex::test
