// Sizing the box to its text: the arithmetic alone, then through a whole
// rendering into the box in memory (a character 5 pixels wide, 13 high).
#include "messages/MarkupSizing.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "messages/Markup.h"
#include "messages/MarkupFakeBox.h"

namespace kolvex {
namespace {

using test::FakeBox;

TEST(MarkupSideMargin, FractionByButtonCount) {
  EXPECT_EQ(SideMargin(1024, 1), 205);  // 204.8
  EXPECT_EQ(SideMargin(1024, 2), 184);  // 184.32
  EXPECT_EQ(SideMargin(1024, 3), 164);  // 163.84
  EXPECT_EQ(SideMargin(1024, 4), 143);  // 143.36
  EXPECT_EQ(SideMargin(1024, 9), 143);
  EXPECT_EQ(SideMargin(1024, 0), 205);
  EXPECT_EQ(SideMargin(1024, -1), 205);
}

TEST(MarkupSideMargin, AnExactHalfGoesToTheEvenNeighbour) {
  EXPECT_EQ(SideMargin(1025, 2), 184);  // 184.5
  EXPECT_EQ(SideMargin(1025, 4), 144);  // 143.5
  EXPECT_EQ(SideMargin(1075, 2), 194);  // 193.5
  EXPECT_EQ(SideMargin(1075, 4), 150);  // 150.5
  EXPECT_EQ(SideMargin(1025, 1), 205);  // 205.0
  EXPECT_EQ(SideMargin(0, 1), 0);
}

TEST(MarkupWidthRule, ScreenOf1024OneButtonBoxAt55) {
  // Margin 205, limit 1024 - 410 - 55 - 10 = 549.
  EXPECT_EQ(FittedBoxWidth(245, 600 + 20, 55, 1024, 1), 549);
  EXPECT_EQ(FittedBoxWidth(245, 250 + 20, 55, 1024, 1), 275);
  EXPECT_EQ(FittedBoxWidth(245, 200 + 20, 55, 1024, 1), 245);
}

TEST(MarkupWidthRule, ABoxWiderThanTheLimitIsNarrowed) {
  EXPECT_EQ(FittedBoxWidth(600, 620, 55, 1024, 1), 549);
  EXPECT_EQ(FittedBoxWidth(620, 620, 55, 1024, 1), 620);
  EXPECT_EQ(FittedBoxWidth(700, 620, 55, 1024, 1), 700);
}

TEST(MarkupWidthRule, NeededPlusFiveMayPassTheLimit) {
  EXPECT_EQ(FittedBoxWidth(245, 549, 55, 1024, 1), 554);
  EXPECT_EQ(FittedBoxWidth(245, 550, 55, 1024, 1), 549);
}

TEST(MarkupWidthRule, ANarrowWindowKeepsItsWidth) {
  // 300 - 55 - 10 = 235 is not less than the need.
  EXPECT_EQ(FittedBoxWidth(200, 235, 55, 1024, 1), 200);
  EXPECT_EQ(FittedBoxWidth(200, 236, 55, 1024, 1), 241);
}

TEST(MarkupWidthRule, MoreButtonsAllowAWiderBox) {
  EXPECT_EQ(FittedBoxWidth(245, 700, 55, 1024, 2), 1024 - 368 - 55 - 10);
  EXPECT_EQ(FittedBoxWidth(245, 700, 55, 1024, 3), 1024 - 328 - 55 - 10);
  EXPECT_EQ(FittedBoxWidth(245, 700, 55, 1024, 4), 1024 - 286 - 55 - 10);
  EXPECT_EQ(FittedBoxWidth(245, 670, 55, 1024, 4), 675);
}

TEST(MarkupWidthRule, ExtremesStayWithinRange) {
  EXPECT_EQ(FittedBoxWidth(0, std::int64_t{1} << 40, 0, 1024, 1), 1024 - 410 - 10);
  EXPECT_EQ(FittedBoxWidth(0, 100, 2000, 1024, 1), 1024 - 410 - 2000 - 10);
  EXPECT_EQ(FittedBoxWidth(INT32_MIN, std::int64_t{1} << 62, INT32_MIN, INT32_MAX, 1), INT32_MAX);
}

TEST(MarkupBoxHeight, OneLineMoreThanTheLines) {
  EXPECT_EQ(BoxHeight(13, 0), 13);
  EXPECT_EQ(BoxHeight(13, 3), 52);
  EXPECT_EQ(BoxHeight(INT32_MAX, 2), INT32_MAX);
}

// Renders into a box whose width shows the measured width directly: at 280
// from the left, a box of width 0 becomes the text width + 20 + 5.
int MeasuredWidth(std::string_view markup) {
  FakeBox box;
  box.boxLeft = 280;
  box.boxWidth = 0;
  RenderMarkup(box, markup, 1);
  return box.boxWidth - 25;
}

TEST(MarkupSizing, TheFirstOfTheLongestLinesIsMeasuredCharacterByCharacter) {
  EXPECT_EQ(MeasuredWidth("aaaa^<B>bbbb"), 20);
  EXPECT_EQ(MeasuredWidth("<B>aaaa</B>^bbbb"), 24);
  EXPECT_EQ(MeasuredWidth("a<B>b</B>c<I>d"), 21);
  EXPECT_EQ(MeasuredWidth("ab^abc^xy"), 15);
}

TEST(MarkupSizing, TheLongestLineIsTheOneWithMostCharacters) {
  // Six narrow characters outnumber three wide ones.
  EXPECT_EQ(MeasuredWidth("WWW^iiiiii"), 12);
  // A Polish letter is one character, though two bytes.
  EXPECT_EQ(MeasuredWidth("łłł^aaaa"), 20);
  EXPECT_EQ(MeasuredWidth("łłłłł^aaaa"), 25);
}

TEST(MarkupSizing, ScreenOf1024OneButtonBoxAt55) {
  FakeBox wide;
  RenderMarkup(wide, std::string(120, 'a'), 1);  // 600 pixels
  EXPECT_EQ(wide.boxWidth, 549);
  EXPECT_EQ(wide.LineCount(), 2);
  EXPECT_EQ(wide.boxHeight, 3 * 13);

  FakeBox middle;
  RenderMarkup(middle, std::string(50, 'a'), 1);  // 250 pixels
  EXPECT_EQ(middle.boxWidth, 275);
  EXPECT_EQ(middle.boxHeight, 2 * 13);

  FakeBox narrow;
  RenderMarkup(narrow, std::string(40, 'a'), 1);  // 200 pixels
  EXPECT_EQ(narrow.boxWidth, 245);
  EXPECT_EQ(narrow.boxHeight, 2 * 13);
  EXPECT_EQ(std::count(narrow.log.begin(), narrow.log.end(), "Width 245"), 0);
}

TEST(MarkupSizing, ABoxAlreadyWiderThanTheLimitIsNarrowed) {
  FakeBox box;
  box.boxWidth = 600;
  RenderMarkup(box, std::string(130, 'a'), 1);
  EXPECT_EQ(box.boxWidth, 549);
}

TEST(MarkupSizing, WrappedLinesCountAndAnEmptyLastLineDoesNot) {
  FakeBox box;
  RenderMarkup(box, std::string(250, 'a') + "^b^", 1);  // 1250 pixels wrap into 3 lines at 549
  EXPECT_EQ(box.LineCount(), 4);
  EXPECT_EQ(box.boxHeight, 5 * 13);

  FakeBox breaks;
  RenderMarkup(breaks, "abc\r\n\r\n", 1);
  EXPECT_EQ(breaks.LineCount(), 2);
  EXPECT_EQ(breaks.boxHeight, 3 * 13);
}

TEST(MarkupSizing, WordWrapIsOffWhileMeasuringAndOnAfterTheWidthIsSet) {
  FakeBox box;
  RenderMarkup(box, std::string(120, 'a'), 1);
  const std::vector<std::string> tail(box.log.end() - 3, box.log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"Width 549", "Wrap on", "Height 39"}));
  EXPECT_EQ(box.log[2], "Wrap off");
}

TEST(MarkupSizing, TheLineHeightFollowsTheHeaderSize) {
  FakeBox box;
  RenderMarkup(box, "<S:10>a^b", 1);
  EXPECT_EQ(box.boxHeight, 3 * 15);
}

TEST(MarkupSizing, AnEmptyTextNeedsTwentyPixelsAndOneLineHeight) {
  FakeBox box;
  box.boxLeft = 280;
  box.boxWidth = 0;
  RenderMarkup(box, "", 1);
  EXPECT_EQ(box.boxWidth, 25);
  EXPECT_EQ(box.boxHeight, 13);
}

TEST(MarkupSizing, WithoutACanvasTheDefaultsStand) {
  FakeBox box;
  box.canvasFails = true;
  RenderMarkup(box, "abc^def", 1);
  EXPECT_EQ(box.boxWidth, 325);  // 300 + 20 + 5
  EXPECT_EQ(box.boxHeight, 3 * 12);
}

TEST(MarkupSizing, AFailedLineHeightLeavesBothDefaults) {
  FakeBox box;
  box.measuresBeforeFailure = 0;
  RenderMarkup(box, "abc", 1);
  EXPECT_EQ(box.boxWidth, 325);
  EXPECT_EQ(box.boxHeight, 2 * 12);
}

TEST(MarkupSizing, AFailureWhileSummingLeavesTheSumSoFar) {
  FakeBox box;
  box.boxLeft = 280;
  box.boxWidth = 0;
  box.measuresBeforeFailure = 3;  // "MYy" and two characters
  RenderMarkup(box, "aaaaa", 1);
  EXPECT_EQ(box.boxWidth, 10 + 25);
  EXPECT_EQ(box.boxHeight, 2 * 13);
}

}  // namespace
}  // namespace kolvex
