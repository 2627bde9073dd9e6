#pragma once
// Chores shared by the program's two windows.
#include <windows.h>

#include <string_view>

namespace kolvex {

// A top-level class of this module with the arrow cursor and the dialog
// colour. A class registered earlier counts as registered; on failure the
// last error says why.
bool RegisterFormClass(const wchar_t* name, WNDPROC proc);

// A font of the East European character set, so that a bitmap face has its
// ą, ę, ł and the rest whatever the system's code page; pixels at 96 DPI.
HFONT CreateFormFont(const wchar_t* face, int pixels, BYTE pitchAndFamily);

// The size of one line of text in font on the screen, as DrawText would lay it out.
SIZE ScreenTextSize(HFONT font, std::wstring_view text, UINT format = 0);

// Whether this process's windows can be seen and answered at all: not when
// it runs without the interactive window station (a service, a task run
// whether its user is logged on or not). When the system cannot say, they can.
bool WindowsCanBeSeen();

// Dispatches the messages waiting for this thread's windows, so that they
// paint and answer (the system ghosts a window that does not for 5 s).
void HandleMessages();
// Sleeps with the thread's window messages handled, so that a window shown
// meanwhile (the progress window) stays painted and answers, and the system
// does not take the program for hung.
void PauseHandlingMessages(DWORD ms);

// The outer size of a window of these styles around a client area of client.
SIZE FrameAround(SIZE client, DWORD style, DWORD exStyle);

}  // namespace kolvex
