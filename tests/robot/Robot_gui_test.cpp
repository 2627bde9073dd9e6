// The robot against windows of other processes (showwindow.exe): the
// system's error box as the launcher shows it, and a window that refuses to
// close, has a disabled button and keeps the focus in an edit box. Both the
// library and robot.exe are exercised.
#include "support/Robot.h"

#include <gtest/gtest.h>

#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "support/TestSupport.h"

namespace kolvex::test {
namespace {

constexpr char kBoxTitle[] = "Application Error";
constexpr char kBoxText[] = "Exception EAbort in module Kolvex.exe at 00401234.\r\nOperation aborted.\r\n";
constexpr char kDialogTitle[] = "Robot \u2013 pr\u00f3ba \u0142\u0105cz";  // "Robot – próba łącz"

std::string ShowWindowExe() { return BinDir() + "\\showwindow.exe"; }

std::string Quote(const std::string& s) {
  std::string quoted(1, '"');
  quoted += s;
  quoted += '"';
  return quoted;
}

// A showwindow.exe process, ended at the end of the test if still running.
class Shown {
 public:
  explicit Shown(const std::string& args) : process_(ShowWindowExe(), Quote(ShowWindowExe()) + " " + args) {}
  DWORD id() const { return process_.id(); }
  ProcessResult Wait(DWORD ms) { return process_.Wait(ms); }
  HWND Window(const std::string& title) { return WaitForWindow({.title = title, .processId = id()}, 10000); }

 private:
  Process process_;
};

struct Captured {
  DWORD exitCode = 0;
  std::string output;
};

// robot.exe with its output read through a pipe.
Captured RunRobot(const std::string& args) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readRaw = nullptr, writeRaw = nullptr;
  EXPECT_TRUE(CreatePipe(&readRaw, &writeRaw, &inherit, 0));
  UniqueKernelHandle readEnd(readRaw), writeEnd(writeRaw);
  SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd.get();
  si.hStdError = writeEnd.get();
  const std::string exe = BinDir() + "\\robot.exe";
  std::wstring cmd = Widen(Quote(exe) + " " + args);
  PROCESS_INFORMATION pi{};
  Captured result;
  if (!CreateProcessW(Widen(exe).c_str(), cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                      &pi)) {
    ADD_FAILURE() << "cannot start robot.exe";
    return result;
  }
  UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
  writeEnd.reset();  // the pipe ends when robot.exe exits
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(readEnd.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) result.output.append(buffer, got);
  WaitForSingleObject(process.get(), 30000);
  GetExitCodeProcess(process.get(), &result.exitCode);
  return result;
}

TEST(Robot, ReadsAndPressesTheErrorBoxOfAnotherProcess) {
  Shown box(std::string("box ") + Quote(kBoxTitle) + " " + Quote(kBoxText));
  HWND wnd = box.Window(kBoxTitle);
  ASSERT_NE(wnd, nullptr) << "the error box did not appear";

  const WindowInfo info = Inspect(wnd);
  EXPECT_EQ(info.processId, box.id());
  EXPECT_EQ(info.className, "#32770");
  EXPECT_EQ(info.title, kBoxTitle);
  EXPECT_TRUE(info.visible);
  EXPECT_GT(info.clientSize.cx, 0);
  const auto ok = FindControl(info, "OK", "Button");
  ASSERT_TRUE(ok.has_value());
  EXPECT_TRUE(ok->visible && ok->enabled);
  EXPECT_TRUE(ok->focused) << "the only button of the box has the focus";
  EXPECT_EQ(info.focus, ok->handle);
  EXPECT_GT(ok->rect.right, ok->rect.left);
  EXPECT_GE(ok->rect.left, 0);
  EXPECT_LE(ok->rect.right, info.clientSize.cx);
  const auto text = FindControl(info, kBoxText, "Static");
  EXPECT_TRUE(text.has_value()) << "the message, CR LF included, reads back whole";

  EXPECT_EQ(PressButton(wnd, "OK"), PressResult::Pressed);
  const ProcessResult end = box.Wait(10000);
  ASSERT_TRUE(end.finished) << "the box did not close when OK was pressed";
  EXPECT_EQ(end.exitCode, static_cast<DWORD>(IDOK));
  EXPECT_FALSE(IsWindowThere(wnd));
  EXPECT_EQ(PressButton(wnd, "OK"), PressResult::WindowGone);
}

TEST(Robot, TellsWindowsOfTheSameTitleApartByProcess) {
  Shown first(std::string("box ") + Quote(kBoxTitle) + " pierwsze");
  Shown second(std::string("box ") + Quote(kBoxTitle) + " drugie");
  HWND one = first.Window(kBoxTitle), two = second.Window(kBoxTitle);
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  EXPECT_NE(one, two);
  EXPECT_TRUE(FindControl(Inspect(one), "pierwsze").has_value());
  EXPECT_TRUE(FindControl(Inspect(two), "drugie").has_value());
  EXPECT_EQ(FindTopWindow({.title = kBoxTitle, .processId = GetCurrentProcessId()}), nullptr);
  EXPECT_EQ(FindTopWindow({.title = "Application", .processId = first.id()}), nullptr) << "titles match exactly";
  EXPECT_EQ(PressButton(one, "OK"), PressResult::Pressed);
  EXPECT_EQ(PressButton(two, "OK"), PressResult::Pressed);
  EXPECT_TRUE(first.Wait(10000).finished);
  EXPECT_TRUE(second.Wait(10000).finished);
}

TEST(Robot, RefusedCloseDisabledButtonAndFocusOfAnotherThread) {
  Shown dialog(std::string("dialog ") + Quote(kDialogTitle));
  HWND wnd = dialog.Window(kDialogTitle);
  ASSERT_NE(wnd, nullptr);

  const WindowInfo info = Inspect(wnd);
  EXPECT_EQ(info.title, kDialogTitle);
  const auto edit = FindControl(info, "", "Edit");
  ASSERT_TRUE(edit.has_value());
  EXPECT_TRUE(edit->focused) << "focus is read from the other process's thread";
  const auto label = FindControl(info, "Czy kontynuowa\u0107?");
  ASSERT_TRUE(label.has_value()) << "Polish letters read back";
  EXPECT_EQ(label->className, "Static");
  EXPECT_EQ(label->rect.left, 10);
  EXPECT_EQ(label->rect.top, 10);
  EXPECT_EQ(label->rect.right - label->rect.left, 200);
  const auto next = FindControl(info, "Dalej");
  ASSERT_TRUE(next.has_value()) << "captions are matched without their & markers";
  EXPECT_EQ(next->text, "&Dalej");

  ASSERT_TRUE(RequestClose(wnd, CloseMethod::Message));
  EXPECT_FALSE(WaitForWindowGone(wnd, 300)) << "the window refuses to close";
  ASSERT_TRUE(RequestClose(wnd, CloseMethod::SystemCommand));
  EXPECT_FALSE(WaitForWindowGone(wnd, 300));
  EXPECT_TRUE(IsWindowThere(wnd));

  EXPECT_EQ(PressButton(wnd, "Wy\u0142\u0105czony"), PressResult::Disabled);
  EXPECT_EQ(PressButton(wnd, "Anuluj"), PressResult::NotFound);
  EXPECT_EQ(PressButton(wnd, "Dalej"), PressResult::Pressed);
  const ProcessResult end = dialog.Wait(10000);
  ASSERT_TRUE(end.finished);
  EXPECT_EQ(end.exitCode, 102u) << "pressed once, after two refused close requests";
  EXPECT_TRUE(WaitForWindowGone(wnd, 1000));
}

TEST(Robot, StripsAcceleratorMarkers) {
  EXPECT_EQ(StripAccelerators("&OK"), "OK");
  EXPECT_EQ(StripAccelerators("Zapisz && zamknij"), "Zapisz & zamknij");
  EXPECT_EQ(StripAccelerators("&&&Tak"), "&Tak");
  EXPECT_EQ(StripAccelerators("Koniec&"), "Koniec");
}

TEST(RobotExe, ShowsAndPressesTheErrorBox) {
  Shown box(std::string("box ") + Quote(kBoxTitle) + " " + Quote(kBoxText));
  ASSERT_NE(box.Window(kBoxTitle), nullptr);
  const std::string pid = " --pid " + std::to_string(box.id());

  const Captured shown = RunRobot("show " + Quote(kBoxTitle) + pid);
  EXPECT_EQ(shown.exitCode, 0u) << shown.output;
  EXPECT_EQ(shown.output.rfind("window ", 0), 0u) << shown.output;
  EXPECT_NE(shown.output.find(" class=\"#32770\" title=\"Application Error\" "), std::string::npos) << shown.output;
  EXPECT_NE(shown.output.find(" class=\"Button\" text=\"OK\" "), std::string::npos) << shown.output;
  EXPECT_NE(shown.output.find(" class=\"Static\" text=\"Exception EAbort in module Kolvex.exe at 00401234.\\r\\n"
                              "Operation aborted.\\r\\n\" "),
            std::string::npos)
      << shown.output;
  EXPECT_NE(shown.output.find(" visible=1 enabled=1 focus=1\n"), std::string::npos) << shown.output;

  EXPECT_EQ(RunRobot("press " + Quote(kBoxTitle) + " Anuluj" + pid).exitCode, 2u);
  EXPECT_EQ(RunRobot("press " + Quote(kBoxTitle) + " OK" + pid).exitCode, 0u);
  const ProcessResult end = box.Wait(10000);
  ASSERT_TRUE(end.finished);
  EXPECT_EQ(end.exitCode, static_cast<DWORD>(IDOK));
  EXPECT_EQ(RunRobot("gone " + Quote(kBoxTitle) + pid + " --timeout 2000").exitCode, 0u);
  EXPECT_EQ(RunRobot("show " + Quote(kBoxTitle) + pid).exitCode, 1u);
}

TEST(RobotExe, CloseRefusedDisabledButtonAndPressByCommand) {
  Shown dialog(std::string("dialog ") + Quote(kDialogTitle));
  ASSERT_NE(dialog.Window(kDialogTitle), nullptr);
  const std::string title = Quote(kDialogTitle), pid = " --pid " + std::to_string(dialog.id());

  EXPECT_EQ(RunRobot("close " + title + pid + " --timeout 300").exitCode, 5u) << "still there";
  EXPECT_EQ(RunRobot("press " + title + " Wy\u0142\u0105czony" + pid).exitCode, 3u);
  const Captured shown = RunRobot("show " + title + pid);
  EXPECT_NE(shown.output.find(" class=\"Edit\" text=\"\" "), std::string::npos) << shown.output;
  EXPECT_NE(shown.output.find(" text=\"&Dalej\" "), std::string::npos) << shown.output;
  EXPECT_NE(shown.output.find(" text=\"&Wy\u0142\u0105czony\" "), std::string::npos) << shown.output;
  EXPECT_EQ(RunRobot("press " + title + " Dalej --command" + pid).exitCode, 0u);
  const ProcessResult end = dialog.Wait(10000);
  ASSERT_TRUE(end.finished);
  EXPECT_EQ(end.exitCode, 101u);
}

TEST(RobotExe, MissingWindowAndBadCommandLine) {
  EXPECT_EQ(RunRobot("show \"Nie ma takiego okna\" --timeout 100").exitCode, 1u);
  EXPECT_EQ(RunRobot("close \"Nie ma takiego okna\"").exitCode, 1u);
  EXPECT_EQ(RunRobot("gone \"Nie ma takiego okna\"").exitCode, 0u);
  EXPECT_EQ(RunRobot("").exitCode, 64u);
  EXPECT_EQ(RunRobot("press OnlyTitle").exitCode, 64u);
  EXPECT_EQ(RunRobot("show X --pid abc").exitCode, 64u);
  EXPECT_EQ(RunRobot("fly X").exitCode, 64u);
}

}  // namespace
}  // namespace kolvex::test
