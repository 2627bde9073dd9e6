#pragma once
// The message markup: plain text with tags in angle brackets that switch
// bold, italic, underline and strike-out, change the colour and start
// aligned paragraphs; leading tags choose the font. RenderMarkup turns it
// into formatted text in a rich-text box and sizes the box to it.
//
// Every step works on positions in one buffer, never by cutting pieces off
// the front of the text, so rendering takes time in proportion to the text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "messages/MarkupBox.h"

namespace kolvex {

// The current character formatting; survives paragraph breaks.
struct TextState {
  FontStyles Style;
  ColorValue Color = kDefaultColor;
};

inline constexpr std::string_view kDefaultFontName = "MS Sans Serif";
inline constexpr int kDefaultFontSize = 8;

// Fills the box from the markup and sizes it: the whole renderer. Returns
// the line height that the box's height is counted in.
int RenderMarkup(MarkupBox& box, std::string_view text, int buttonCount);

// Every "^" and carriage return becomes <A:LEFT>; line feeds go.
std::string ConvertLineBreaks(std::string_view text);

// Sets the font to "MS Sans Serif", 8 points, then applies up to two leading
// FONT/F and SIZE/S tags. Returns the text after the tags it applied.
std::string_view ReadHeaderTags(std::string_view text, std::string& fontName, int& fontSize);

// Interprets one tag's content (between "<" and ">") on the box and keeps the
// state up to date. False: no tag, the caller writes it out as text.
bool ApplyTag(MarkupBox& box, std::string_view content, TextState& state);

ColorValue ColorFromText(std::string_view value);
Alignment AlignmentFromText(std::string_view value);

// The integer syntax of SIZE values and numeric colours: spaces, then a
// signed 32-bit decimal or a "$", "x", "X", "0x", "0X" hexadecimal 32-bit
// pattern, then nothing.
std::optional<std::int32_t> IntegerFromText(std::string_view text);

}  // namespace kolvex
