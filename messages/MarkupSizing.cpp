#include "messages/MarkupSizing.h"

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>

#include "common/Unicode.h"

namespace kolvex {

namespace {

constexpr int kWidthReserve = 20;   // needed width = longest line + this
constexpr int kWidenedExtra = 5;    // a widened box gets this beyond the need
constexpr int kRightGap = 10;       // kept free right of the box
constexpr int kNarrowWindow = 300;  // a window this wide holds the text as it is
constexpr std::string_view kLineHeightSample = "MYy";

// Every UTF-8 lead byte begins a character; a stray continuation byte at the
// start of a line counts as one too, so malformed text is still measured.
size_t CharEnd(std::string_view text, size_t begin) {
  size_t end = begin + 1;
  while (end < text.size() && IsUtf8Continuation(text[end])) ++end;
  return end;
}

size_t CountChars(std::string_view text) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); i = CharEnd(text, i)) ++count;
  return count;
}

int ClampToInt(std::int64_t v) {
  return static_cast<int>(
      std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// numerator / denominator, an exact half to the even neighbour; denominator > 0.
std::int64_t RoundHalfEven(std::int64_t numerator, std::int64_t denominator) {
  std::int64_t quotient = numerator / denominator;
  std::int64_t remainder = numerator % denominator;
  if (remainder < 0) {  // floor division, so the remainder lies in [0, denominator)
    --quotient;
    remainder += denominator;
  }
  if (2 * remainder > denominator || (2 * remainder == denominator && quotient % 2 != 0)) ++quotient;
  return quotient;
}

}  // namespace

LineMeasure MeasureLongestLine(const MarkupBox& box) {
  int longest = -1;
  std::string longestText;
  size_t longestChars = 0;
  const int lines = box.LineCount();
  for (int line = 0; line < lines; ++line) {
    std::string text = box.LineText(line);
    const size_t chars = CountChars(text);
    if (longest < 0 || chars > longestChars) {
      longest = line;
      longestChars = chars;
      longestText = std::move(text);
    }
  }

  LineMeasure measure;
  const std::unique_ptr<TextCanvas> canvas = box.OpenCanvas();
  if (!canvas) return measure;
  const auto sample = canvas->Measure(kLineHeightSample, FontStyle::Bold);
  if (!sample) return measure;
  measure.lineHeight = sample->height;
  measure.textWidth = 0;
  int index = 0;
  for (size_t i = 0; i < longestText.size(); ++index) {
    const size_t end = CharEnd(longestText, i);
    const auto extent =
        canvas->Measure(std::string_view(longestText).substr(i, end - i), box.CharStyle(longest, index));
    if (!extent) break;
    measure.textWidth += extent->width;
    i = end;
  }
  return measure;
}

int SideMargin(int screenWidth, int buttonCount) {
  const int percent = buttonCount >= 4 ? 14 : buttonCount == 3 ? 16 : buttonCount == 2 ? 18 : 20;
  return ClampToInt(RoundHalfEven(std::int64_t{screenWidth} * percent, 100));
}

int FittedBoxWidth(int boxWidth, std::int64_t neededWidth, int boxLeft, int screenWidth, int buttonCount) {
  if (boxWidth >= neededWidth) return boxWidth;
  const std::int64_t limit =
      std::int64_t{screenWidth} - 2 * std::int64_t{SideMargin(screenWidth, buttonCount)} - boxLeft - kRightGap;
  if (limit < neededWidth) return ClampToInt(limit);
  if (std::int64_t{kNarrowWindow} - boxLeft - kRightGap < neededWidth) return ClampToInt(neededWidth + kWidenedExtra);
  return boxWidth;
}

int BoxHeight(int lineHeight, int lineCount) {
  return ClampToInt(std::int64_t{lineHeight} * (std::int64_t{lineCount} + 1));
}

int SizeBoxToText(MarkupBox& box, int buttonCount) {
  const LineMeasure measure = MeasureLongestLine(box);
  const int width = box.Width();
  const int fitted =
      FittedBoxWidth(width, measure.textWidth + kWidthReserve, box.Left(), box.ScreenWidth(), buttonCount);
  if (fitted != width) box.SetWidth(fitted);
  box.SetWordWrap(true);
  box.SetHeight(BoxHeight(measure.lineHeight, box.LineCount()));
  return measure.lineHeight;
}

}  // namespace kolvex
