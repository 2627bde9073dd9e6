#pragma once
// The message window's arithmetic and rules, apart from the windows that
// apply them: the looks of kinds and buttons, the button row, the layout of
// the whole window, the close rule and the countdown title.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/WindowPlacement.h"
#include "messages/MessageWindow.h"

namespace kolvex::msgwin {

// Pixels at 96 DPI, in the window's client area unless said otherwise.
inline constexpr int kIconLeft = 10;
inline constexpr int kIconTop = 10;
inline constexpr int kIconSize = 32;
inline constexpr int kTextLeft = 55;  // also the check box's left
inline constexpr int kTextTop = 10;
inline constexpr int kRightMargin = 15;  // outer width = kTextLeft + text box + kRightMargin
inline constexpr int kWideRow = 300;     // a row this wide or wider sets the text box's starting width
inline constexpr int kNarrowTextWidth = kWideRow - kTextLeft;  // 245
inline constexpr int kTextBelow = 10;                          // message panel = text box height + this ...
inline constexpr int kMinMessagePanel = 50;                    // ... but at least this
inline constexpr int kCheckPanelHeight = 24;
inline constexpr int kCheckTop = 3;  // within the check panel
inline constexpr int kCheckHeight = 17;
inline constexpr int kButtonPanelHeight = 45;
inline constexpr int kButtonTop = 14;  // within the button panel
inline constexpr int kButtonHeight = 25;
inline constexpr int kButtonGap = 10;
inline constexpr int kBlankButtonWidth = 75;
inline constexpr int kCustomCaptionPadding = 20;
inline constexpr int kMaxCustomButtonWidth = 300;
inline constexpr unsigned kCountdownIntervalMs = 1000;

// The standard images of bitmap buttons that the message window uses.
enum class Glyph : std::uint8_t { None, Yes, Cancel, OK, Help, All };

struct KindLook {
  std::string_view title;
  int iconId;      // a standard system icon (IDI_...)
  unsigned sound;  // a MessageBeep type
};
// nullptr for a kind outside Question..Information: no title, icon or sound.
const KindLook* LookOfKind(TMessageKind kind);

// The glyph of a button value; None for custom, blank and plain buttons.
Glyph GlyphOf(int buttonValue);

struct PlannedButton {
  TMessageButton value;
  std::string caption;  // "&" marks the accelerator letter
  Glyph glyph;
  int left;  // within the button strip
  int width;
};

struct ButtonRow {
  std::vector<PlannedButton> buttons;
  int width = 0;  // W: the buttons' widths plus kButtonGap between neighbours
  bool checkShown = false;
  // The last button whose value is the default: it takes the first focus.
  std::optional<std::size_t> focus;
  // What the window returns until a button says otherwise.
  TMessageButton chosen = TMessageButton::Yes;
};

// Width in pixels of a caption in the window's font, "&" prefixes applied.
using MeasureCaption = std::function<int(std::string_view caption)>;

ButtonRow PlanButtonRow(const MessageOptions& options, const MeasureCaption& captionWidth);

// Takes the first ";"-separated item off the front of list (the Custom
// buttons' captions): the text before the first ";" (which goes with it), or
// the whole list, which then becomes empty. An exhausted list yields empty items.
std::string TakeListItem(std::string& list);

// The text box's width before the text is laid out: the row's width when
// the row is kWideRow or wider, kNarrowTextWidth otherwise.
int StartingTextWidth(int rowWidth);
// The window's outer width for a text box width.
int OuterWidthFor(int textWidth);

// Where everything goes once the text box has its final size. Panels are
// stacked top to bottom: message, check box (only when shown), buttons.
struct WindowLayout {
  Box icon;
  Box text;
  Box checkBox;  // meaningful when the row shows the check box
  int messagePanelHeight = 0;
  int buttonPanelTop = 0;
  int stripLeft = 0;  // may be negative when the row is wider than the window
  std::vector<Box> buttons;
  Size client;
  Size outer;
};

// frame: what the window's frame and caption add to the client size.
WindowLayout LayOutWindow(const ButtonRow& row, Size textBox, Size frame);

// The widest text box whose window fits a work area this wide.
int WidestTextBox(int workWidth);

// The layout of a window that stays inside the work area (whose text box is
// at most WidestTextBox wide). Everything that fits is laid out as above. A
// window too tall for the work area takes its height: the text box is cut
// (to one line height at least) and scrolls (the box shows its scroll bar
// by itself), and is widened by the scroll bar when there is room, so that
// the text keeps the width it was laid out for. A button row wider than the
// window is narrowed, every button in proportion, so that every button
// stays within reach.
WindowLayout LayOutWindowIn(const ButtonRow& row, Size textBox, Size frame, Size workArea, int lineHeight,
                            int scrollBarWidth);

// ControlClick on a button with this tag: the value ChosenButton takes, or
// nothing for a blank button (tag above Custom4). A lone OK beside the check
// box answers Yes while the box is ticked.
std::optional<TMessageButton> ValueOfClick(int tag, bool checkShown, bool confirmed);

// FormCloseQuery: a close is allowed once a button was clicked (or the
// countdown ran out), and Yes beside an unticked check box is not enough.
bool AcceptsClose(bool closeAllowed, TMessageButton chosen, bool confirmed);

// The title while the countdown runs: the kind's title, a blank, the number
// and "s". Each tick cuts the title at its first blank (at most 50
// characters go) before appending the new number.
std::string CountdownTitle(std::string_view title, int secondsLeft);
std::string RebuildCountdownTitle(std::string title, int secondsLeft);

}  // namespace kolvex::msgwin
