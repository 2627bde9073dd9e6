#pragma once
// The message window: the system's one dialog for telling the user
// something and asking for a decision. It is built for one message, shown
// modally, and freed before the call returns; it closes only through its
// buttons or its countdown. Its kinds, buttons and options are here;
// ShowMessageWindow (MessageWindow_win32.h) shows it.
#include <cstdint>
#include <string>
#include <vector>

namespace kolvex {

// Gives the window its title, icon and sound. Any other value shows the
// window with an empty title, no icon and no sound.
enum class TMessageKind : std::uint8_t { Question = 0, Error = 1, Warning = 2, Information = 3 };

// A button of the window, and the value ShowMessageWindow returns when that
// button closes it. Values above Custom4 give a blank button that returns
// nothing of its own.
enum class TMessageButton : std::uint8_t {
  Yes = 0,
  No = 1,
  Cancel = 2,
  OK = 3,
  Help = 4,
  Delete = 5,
  YesToAll = 6,
  NoToAll = 7,
  CancelAll = 8,
  Archive = 9,
  Custom1 = 10,
  Custom2 = 11,
  Custom3 = 12,
  Custom4 = 13,
};

struct MessageOptions {
  std::vector<TMessageButton> buttons{};  // left to right; values may repeat
  // Has the initial focus and is the answer when the countdown runs out;
  // it need not be among the buttons.
  TMessageButton defaultButton = TMessageButton::OK;
  TMessageKind kind = TMessageKind::Information;
  // Captions of the Custom buttons, separated by ";", handed out in the
  // order those buttons appear, whichever of the four values each has.
  std::string customCaptions{};
  // Caption of the confirmation check box; empty means none. It is shown
  // beside a Yes button, or beside a lone OK button.
  std::string checkCaption{};
  std::int32_t seconds = 0;  // 1 or more: the window closes itself after that many seconds
};

}  // namespace kolvex
