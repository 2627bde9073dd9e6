#pragma once
// Sizing the rich-text box to the text it holds: the longest line measured
// in the box's own font, a width within a limit set by the screen and the
// number of buttons, word wrap on, and a height from the number of lines.
#include <cstdint>

#include "messages/MarkupBox.h"

namespace kolvex {

// What stands until measured; a measurement failing part-way leaves the
// sum of the character widths so far.
struct LineMeasure {
  int lineHeight = 12;
  std::int64_t textWidth = 300;
};

// Line height of "MYy" in bold, and the width of the longest line (most
// characters, first of equals, word wrap off), each character in its own style.
LineMeasure MeasureLongestLine(const MarkupBox& box);

// Screen width times 0.20, 0.18, 0.16 or 0.14 for 1, 2, 3 or 4+ buttons,
// rounded to the nearest, an exact half to the even one.
int SideMargin(int screenWidth, int buttonCount);

// The box's new width for a text needing neededWidth pixels (the longest line + 20).
int FittedBoxWidth(int boxWidth, std::int64_t neededWidth, int boxLeft, int screenWidth, int buttonCount);

// One line height per line and one more.
int BoxHeight(int lineHeight, int lineCount);

// Measures, widens the box, switches word wrap on and sets the height.
// Returns the line height.
int SizeBoxToText(MarkupBox& box, int buttonCount);

}  // namespace kolvex
