// The markup reader against a box in memory, rule by rule.
#include "messages/Markup.h"

#include <gtest/gtest.h>

#include "common/Text.h"
#include "messages/MarkupFakeBox.h"

namespace kolvex {
namespace {

using test::FakeBox;
using test::Paragraph;
using test::TextRun;
using Paragraphs = std::vector<Paragraph>;

constexpr ColorValue kRed = 0x000000FF;
constexpr ColorValue kWindowText = static_cast<ColorValue>(0x80000008u);
const FontStyles kBold = FontStyle::Bold;

TextRun Plain(std::string text) { return TextRun{std::move(text), {}, kDefaultColor}; }
TextRun Bold(std::string text) { return TextRun{std::move(text), kBold, kDefaultColor}; }
Paragraph Left(std::vector<TextRun> runs = {}) { return Paragraph{Alignment::Left, std::move(runs)}; }
Paragraph Centred(std::vector<TextRun> runs) { return Paragraph{Alignment::Center, std::move(runs)}; }
Paragraph Right(std::vector<TextRun> runs) { return Paragraph{Alignment::Right, std::move(runs)}; }

Paragraphs Render(FakeBox& box, std::string_view text) {
  RenderMarkup(box, text, 1);
  return box.Paragraphs();
}

Paragraphs Render(std::string_view text) {
  FakeBox box;
  return Render(box, text);
}

// A text that must come out exactly as it went in, in one plain paragraph.
void ExpectVerbatim(std::string_view text) {
  FakeBox box;
  EXPECT_EQ(Render(box, text), Paragraphs{Left({Plain(std::string(text))})}) << text;
}

TEST(MarkupWorkedExamples, HeaderFontThenCentredParagraphWithBoldAndRed) {
  FakeBox box;
  EXPECT_EQ(
      Render(box, "<FONT:Arial><SIZE:10>Warning<A:CENTER><B>File</B> <C:clRed>not found"),
      (Paragraphs{Left({Plain("Warning")}), Centred({Bold("File"), Plain(" "), TextRun{"not found", {}, kRed}})}));
  EXPECT_EQ(box.fontName, "Arial");
  EXPECT_EQ(box.fontSize, 10);
}

TEST(MarkupWorkedExamples, CaretAndAlignTagStartParagraphs) {
  EXPECT_EQ(Render("a^b<A:RIGHT>c"), (Paragraphs{Left({Plain("a")}), Left({Plain("b")}), Right({Plain("c")})}));
  EXPECT_EQ(Render("<A:CENTER>Title"), (Paragraphs{Left(), Centred({Plain("Title")})}));
}

TEST(MarkupWorkedExamples, HeaderTagsOnlyAtTheStart) {
  FakeBox box;
  EXPECT_EQ(Render(box, "<F:Arial>Text"), Paragraphs{Left({Plain("Text")})});
  EXPECT_EQ(box.fontName, "Arial");

  EXPECT_EQ(Render(box, "Text<FONT:Arial>"), Paragraphs{Left({Plain("Text<FONT:Arial>")})});
  EXPECT_EQ(box.fontName, "MS Sans Serif");
  EXPECT_EQ(box.fontSize, 8);

  EXPECT_EQ(Render(box, "<SIZE:12 >Text"), Paragraphs{Left({Plain("Text")})});
  EXPECT_EQ(box.fontSize, 8);
}

TEST(MarkupWorkedExamples, TagBoundaries) {
  EXPECT_EQ(Render("x < b > y"), (Paragraphs{Left({Plain("x "), Bold(" y")})}));
  ExpectVerbatim("x < y > z");
  EXPECT_EQ(Render("<<B>x"), (Paragraphs{Left({Plain("<"), Bold("x")})}));
  ExpectVerbatim("a <b");
}

TEST(MarkupWorkedExamples, StyleCarriesOverAParagraphBreak) {
  EXPECT_EQ(Render("<B>one<A:LEFT>two</B> three"),
            (Paragraphs{Left({Bold("one")}), Left({Bold("two"), Plain(" three")})}));
}

TEST(MarkupWorkedExamples, UnknownColourNameGivesTheDefault) {
  FakeBox box;
  box.defaultColor = 0x00123456;
  EXPECT_EQ(Render(box, "<COLOR:nope>x"), Paragraphs{Left({TextRun{"x", {}, kDefaultColor}})});
}

TEST(MarkupLineBreaks, CarriageReturnCaretAndLineFeed) {
  EXPECT_EQ(ConvertLineBreaks("a\r\nb"), "a<A:LEFT>b");
  EXPECT_EQ(ConvertLineBreaks("a\r\rb"), "a<A:LEFT><A:LEFT>b");
  EXPECT_EQ(ConvertLineBreaks("a\nb^c\n"), "ab<A:LEFT>c");
  EXPECT_EQ(ConvertLineBreaks(""), "");

  EXPECT_EQ(Render("a\r\nb"), (Paragraphs{Left({Plain("a")}), Left({Plain("b")})}));
  EXPECT_EQ(Render("a\r\rb"), (Paragraphs{Left({Plain("a")}), Left(), Left({Plain("b")})}));
  EXPECT_EQ(Render("a\nb"), Paragraphs{Left({Plain("ab")})});
  EXPECT_EQ(Render("a^b"), (Paragraphs{Left({Plain("a")}), Left({Plain("b")})}));
}

TEST(MarkupLineBreaks, ALineBreakEndsACentredParagraph) {
  EXPECT_EQ(Render("<A:CENTER>a\r\nb"), (Paragraphs{Left(), Centred({Plain("a")}), Left({Plain("b")})}));
}

TEST(MarkupLineBreaks, TheCopyErrorMessageIsThreeLeftLines) {
  EXPECT_EQ(Render("Błąd kopiowania pliku: prog.exe\r\rSharing violation.\r\n"),
            (Paragraphs{Left({Plain("Błąd kopiowania pliku: prog.exe")}), Left(), Left({Plain("Sharing violation.")}),
                        Left()}));
}

TEST(MarkupLineBreaks, ALeadingBreakMeansNoHeaderTags) {
  FakeBox box;
  EXPECT_EQ(Render(box, "\r\n<FONT:Arial><SIZE:10>x"), (Paragraphs{Left(), Left({Plain("<FONT:Arial><SIZE:10>x")})}));
  EXPECT_EQ(box.fontName, "MS Sans Serif");
  EXPECT_EQ(box.fontSize, 8);
}

TEST(MarkupHeaderTags, AtMostTwoAreTaken) {
  std::string name;
  int size = 0;
  EXPECT_EQ(ReadHeaderTags("<F:Arial><S:10><F:Times>x", name, size), "<F:Times>x");
  EXPECT_EQ(name, "Arial");
  EXPECT_EQ(size, 10);
  EXPECT_EQ(ReadHeaderTags("<SIZE:9><SIZE:11>x", name, size), "x");
  EXPECT_EQ(name, "MS Sans Serif");
  EXPECT_EQ(size, 11);
  EXPECT_EQ(Render("<F:Arial><S:10><F:Times>x"), Paragraphs{Left({Plain("<F:Times>x")})});
}

TEST(MarkupHeaderTags, ValuesAreTakenAsTheyStand) {
  std::string name;
  int size = 0;
  ReadHeaderTags("<FONT: Arial>", name, size);
  EXPECT_EQ(name, " Arial");
  ReadHeaderTags("<font:>", name, size);
  EXPECT_EQ(name, "");
  ReadHeaderTags("<F:a<b>x", name, size);
  EXPECT_EQ(name, "a<b");
  ReadHeaderTags("<F:x:y>", name, size);
  EXPECT_EQ(name, "x:y");

  ReadHeaderTags("<SIZE: 12>", name, size);
  EXPECT_EQ(size, 12);
  ReadHeaderTags("<Size:-3>", name, size);
  EXPECT_EQ(size, -3);
  ReadHeaderTags("<s:$10>", name, size);
  EXPECT_EQ(size, 16);
  for (const char* kept : {"<SIZE:12 >", "<SIZE:abc>", "<SIZE:>", "<SIZE:\t12>"}) {
    EXPECT_EQ(ReadHeaderTags(kept, name, size), "") << kept;
    EXPECT_EQ(size, 8) << kept;
  }
}

TEST(MarkupHeaderTags, KeysIgnoreCaseButAreNotTrimmed) {
  std::string name;
  int size = 0;
  EXPECT_EQ(ReadHeaderTags("<fOnT:Arial>x", name, size), "x");
  EXPECT_EQ(ReadHeaderTags("< FONT:Arial>x", name, size), "< FONT:Arial>x");
  EXPECT_EQ(ReadHeaderTags("<FONT :Arial>x", name, size), "<FONT :Arial>x");
  EXPECT_EQ(name, "MS Sans Serif");
  // Only a to z fold: a dotless i is no "I".
  EXPECT_EQ(ReadHeaderTags("<SıZE:10>x", name, size), "<SıZE:10>x");
}

TEST(MarkupHeaderTags, ReadingStopsAtTheFirstTagThatIsNoHeaderTag) {
  std::string name;
  int size = 0;
  EXPECT_EQ(ReadHeaderTags("<F:Arial", name, size), "<F:Arial");
  EXPECT_EQ(ReadHeaderTags("<Arial><S:10>", name, size), "<Arial><S:10>");
  EXPECT_EQ(ReadHeaderTags("<F:Arial><C:clRed><S:10>x", name, size), "<C:clRed><S:10>x");
  EXPECT_EQ(name, "Arial");
  EXPECT_EQ(size, 8);
  EXPECT_EQ(ReadHeaderTags(" <F:Arial>", name, size), " <F:Arial>");
  EXPECT_EQ(ReadHeaderTags("", name, size), "");
}

TEST(MarkupHeaderTags, ALeadingColourTagIsABodyTag) {
  FakeBox box;
  EXPECT_EQ(Render(box, "<C:clRed>x<S:10>"), Paragraphs{Left({TextRun{"x<S:10>", {}, kRed}})});
  EXPECT_EQ(box.fontSize, 8);
}

TEST(MarkupBody, ContentThatIsNoTagIsWrittenOutAsItStood) {
  ExpectVerbatim("<>");
  ExpectVerbatim("< >");
  ExpectVerbatim("a<COLOR :clRed>b");
  ExpectVerbatim("a<S:10>");
  ExpectVerbatim("x<FONT:Arial>y<SIZE:10>");
  ExpectVerbatim("< nothing\t>");
  ExpectVerbatim("<BB>");
  // A no-break space (and any byte of a multi-byte letter) is no blank.
  ExpectVerbatim("<\u00A0B>");
}

TEST(MarkupBody, GreaterThanOutsideATagIsText) { ExpectVerbatim("a > b >> c"); }

TEST(MarkupBody, StyleTagsIgnoreCaseAndSurroundingBlanks) {
  for (const char* tag : {"<b>", "< B >", "<B>", "<\t\001B\037>"}) {
    EXPECT_EQ(Render(std::string(tag) + "x"), Paragraphs{Left({Bold("x")})}) << tag;
  }
}

TEST(MarkupBody, StyleTagsAreSwitches) {
  EXPECT_EQ(Render("<B><B>x</B>y"), (Paragraphs{Left({Bold("x"), Plain("y")})}));
  EXPECT_EQ(Render("</B>y"), Paragraphs{Left({Plain("y")})});
  EXPECT_EQ(Render("<S>s</S><I>i<U>iu</I>u</u>"),
            (Paragraphs{
                Left({TextRun{"s", FontStyle::StrikeOut, kDefaultColor}, TextRun{"i", FontStyle::Italic, kDefaultColor},
                      TextRun{"iu", FontStyles(FontStyle::Italic).With(FontStyle::Underline), kDefaultColor},
                      TextRun{"u", FontStyle::Underline, kDefaultColor}})}));
}

TEST(MarkupBody, ColourTags) {
  EXPECT_EQ(Render("<color:CLRED>x"), Paragraphs{Left({TextRun{"x", {}, kRed}})});
  EXPECT_EQ(Render("<C: 255 >x<C:$FF0000>y<c:clDefault>z"),
            Paragraphs{Left({TextRun{"x", {}, kRed}, TextRun{"y", {}, 0x00FF0000}, Plain("z")})});
}

TEST(MarkupBody, AlignTags) {
  EXPECT_EQ(Render("<a:center>x"), (Paragraphs{Left(), Centred({Plain("x")})}));
  EXPECT_EQ(Render("<A:Centre>x"), (Paragraphs{Left(), Left({Plain("x")})}));
  EXPECT_EQ(Render("<ALIGN: right >x"), (Paragraphs{Left(), Right({Plain("x")})}));
  EXPECT_EQ(Render("<A:>x"), (Paragraphs{Left(), Left({Plain("x")})}));
}

TEST(MarkupBody, ColourAndStyleSurviveParagraphBreaks) {
  EXPECT_EQ(Render("<C:clRed><I>a^b<A:RIGHT>c"),
            (Paragraphs{Left({TextRun{"a", FontStyle::Italic, kRed}}), Left({TextRun{"b", FontStyle::Italic, kRed}}),
                        Right({TextRun{"c", FontStyle::Italic, kRed}})}));
}

TEST(MarkupBody, StateStartsFromTheBoxDefaults) {
  FakeBox box;
  box.defaultStyle = FontStyle::Italic;
  box.defaultColor = 0x00ABCDEF;
  EXPECT_EQ(Render(box, "<B>a<A:LEFT>b"),
            (Paragraphs{Left({TextRun{"a", FontStyles(FontStyle::Italic).With(FontStyle::Bold), 0x00ABCDEF}}),
                        Left({TextRun{"b", FontStyles(FontStyle::Italic).With(FontStyle::Bold), 0x00ABCDEF}})}));
}

TEST(MarkupBody, AFurtherOpeningBracketMakesTheFirstOneText) {
  EXPECT_EQ(Render("a<<<B>b"), (Paragraphs{Left({Plain("a<<"), Bold("b")})}));
  EXPECT_EQ(Render("<x<y<B>b>"), (Paragraphs{Left({Plain("<x<y"), Bold("b>")})}));
}

TEST(MarkupBody, AnOpeningBracketWithoutCloseWritesTheRestAsText) {
  EXPECT_EQ(Render("<B>a<b<I"), (Paragraphs{Left({Bold("a<b<I")})}));
  EXPECT_EQ(Render("<B>a<"), (Paragraphs{Left({Bold("a<")})}));
  ExpectVerbatim("<");
}

TEST(MarkupBody, EmptyTextGivesAnEmptyBox) {
  for (const char* empty : {"", "\n", "\n\n"}) {
    FakeBox box;
    EXPECT_EQ(Render(box, empty), Paragraphs{Left()});
    EXPECT_EQ(box.fontName, "MS Sans Serif");
    EXPECT_EQ(box.LineCount(), 0);
  }
}

TEST(MarkupBody, RenderingStartsAfresh) {
  FakeBox box;
  Render(box, "<F:Arial><S:20><B><C:clRed><A:RIGHT>old");
  EXPECT_EQ(Render(box, "new"), Paragraphs{Left({Plain("new")})});
  EXPECT_EQ(box.fontName, "MS Sans Serif");
  EXPECT_EQ(box.fontSize, 8);
}

TEST(MarkupBody, TheBoxIsToldInOrder) {
  FakeBox box;
  RenderMarkup(box, "<F:Arial>a<B>b<A:CENTER>c", 1);
  EXPECT_EQ(box.log,
            (std::vector<std::string>{"Clear", "Font Arial 8", "Wrap off", "Text a", "Style B", "Text b", "Break",
                                      "Style B", "Color 536870912", "Align centre", "Text c", "Wrap on", "Height 39"}));
}

TEST(MarkupApplyTag, TellsWhetherTheContentWasATag) {
  FakeBox box;
  box.Clear();
  TextState state;
  for (const char* tag : {"B", "/b", " i ", "/I", "U", "/U", "s", "/S", "C:x", "color:", "A:", "Align:RIGHT"}) {
    EXPECT_TRUE(ApplyTag(box, tag, state)) << tag;
  }
  for (const char* text : {"", " ", "BI", "S:10", "FONT:Arial", "SIZE:8", "COLOR :x", "x:", ":"}) {
    EXPECT_FALSE(ApplyTag(box, text, state)) << text;
  }
}

TEST(MarkupApplyTag, StyleStateFollowsTheBoxEvenForUnknownContent) {
  FakeBox box;
  box.Clear();
  TextState state;
  box.SetInsertionStyle(FontStyle::Underline);
  EXPECT_FALSE(ApplyTag(box, "nothing", state));
  EXPECT_EQ(state.Style, FontStyles(FontStyle::Underline));
  EXPECT_TRUE(ApplyTag(box, "B", state));
  EXPECT_EQ(state.Style, FontStyles(FontStyle::Underline).With(FontStyle::Bold));
  EXPECT_TRUE(ApplyTag(box, "C:clWindowText", state));
  EXPECT_EQ(state.Color, kWindowText);
}

TEST(MarkupIntegers, Decimal) {
  EXPECT_EQ(IntegerFromText("0"), 0);
  EXPECT_EQ(IntegerFromText("12"), 12);
  EXPECT_EQ(IntegerFromText("   12"), 12);
  EXPECT_EQ(IntegerFromText("+5"), 5);
  EXPECT_EQ(IntegerFromText("-0"), 0);
  EXPECT_EQ(IntegerFromText("007"), 7);
  EXPECT_EQ(IntegerFromText("2147483647"), 2147483647);
  EXPECT_EQ(IntegerFromText("-2147483648"), INT32_MIN);
  EXPECT_EQ(IntegerFromText("-2147483640"), static_cast<std::int32_t>(0x80000008u));
  EXPECT_EQ(IntegerFromText("00000000000000000000000000000042"), 42);
}

TEST(MarkupIntegers, Hexadecimal) {
  EXPECT_EQ(IntegerFromText("$FF"), 255);
  EXPECT_EQ(IntegerFromText("x1f"), 31);
  EXPECT_EQ(IntegerFromText("X1F"), 31);
  EXPECT_EQ(IntegerFromText("0x10"), 16);
  EXPECT_EQ(IntegerFromText("  0XaB"), 0xAB);
  EXPECT_EQ(IntegerFromText("$80000008"), static_cast<std::int32_t>(0x80000008u));
  EXPECT_EQ(IntegerFromText("$FFFFFFFF"), -1);
  EXPECT_EQ(IntegerFromText("$0000000000FFFFFFFF"), -1);
}

TEST(MarkupIntegers, NoIntegers) {
  for (const char* text : {"",           " ",    "+",          "-",           "$",
                           "x",          "0x",   "0X",         "12 ",         "1 2",
                           "\t12",       "1.0",  "2147483648", "-2147483649", "99999999999999999999",
                           "$100000000", "$G",   "0x1g",       "-$8",         "+0x8",
                           "-x8",        "00x1", "$-1",        "0b1",         "１"}) {
    EXPECT_EQ(IntegerFromText(text), std::nullopt) << '"' << text << '"';
  }
}

TEST(MarkupColours, IntegersWhateverTheyAre) {
  EXPECT_EQ(ColorFromText("255"), kRed);
  EXPECT_EQ(ColorFromText("$FF"), kRed);
  EXPECT_EQ(ColorFromText("$FF0000"), 0x00FF0000);
  EXPECT_EQ(ColorFromText(" \t$12345678 "), 0x12345678);
  EXPECT_EQ(ColorFromText("$80000008"), kWindowText);
  EXPECT_EQ(ColorFromText("0x80000008"), kWindowText);
  EXPECT_EQ(ColorFromText("-2147483640"), kWindowText);
  EXPECT_EQ(ColorFromText("-$8"), kDefaultColor);
  EXPECT_EQ(ColorFromText("-1"), -1);
}

TEST(MarkupColours, TheFortyNineNames) {
  const std::pair<const char*, std::uint32_t> names[] = {
      {"clAqua", 0x00FFFF00},
      {"clBlack", 0x00000000},
      {"clBlue", 0x00FF0000},
      {"clCream", 0x00F0FBFF},
      {"clDkGray", 0x00808080},
      {"clFuchsia", 0x00FF00FF},
      {"clGray", 0x00808080},
      {"clGreen", 0x00008000},
      {"clLime", 0x0000FF00},
      {"clLtGray", 0x00C0C0C0},
      {"clMaroon", 0x00000080},
      {"clMedGray", 0x00A4A0A0},
      {"clMoneyGreen", 0x00C0DCC0},
      {"clNavy", 0x00800000},
      {"clOlive", 0x00008080},
      {"clPurple", 0x00800080},
      {"clRed", 0x000000FF},
      {"clSilver", 0x00C0C0C0},
      {"clSkyBlue", 0x00F0CAA6},
      {"clTeal", 0x00808000},
      {"clWhite", 0x00FFFFFF},
      {"clYellow", 0x0000FFFF},
      {"clBackground", 0x80000001},
      {"clActiveCaption", 0x80000002},
      {"clInactiveCaption", 0x80000003},
      {"clMenu", 0x80000004},
      {"clWindow", 0x80000005},
      {"clWindowFrame", 0x80000006},
      {"clMenuText", 0x80000007},
      {"clWindowText", 0x80000008},
      {"clCaptionText", 0x80000009},
      {"clActiveBorder", 0x8000000A},
      {"clInactiveBorder", 0x8000000B},
      {"clAppWorkSpace", 0x8000000C},
      {"clHighlight", 0x8000000D},
      {"clHighlightText", 0x8000000E},
      {"clBtnFace", 0x8000000F},
      {"clBtnShadow", 0x80000010},
      {"clGrayText", 0x80000011},
      {"clBtnText", 0x80000012},
      {"clInactiveCaptionText", 0x80000013},
      {"clBtnHighlight", 0x80000014},
      {"cl3DDkShadow", 0x80000015},
      {"cl3DLight", 0x80000016},
      {"clInfoText", 0x80000017},
      {"clInfoBk", 0x80000018},
      {"clGradientActiveCaption", 0x8000001B},
      {"clGradientInactiveCaption", 0x8000001C},
      {"clDefault", 0x20000000},
  };
  static_assert(std::size(names) == 49);
  for (const auto& [name, value] : names) {
    std::string upper = name;
    std::string lower = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(ColorFromText(name), static_cast<ColorValue>(value)) << name;
    EXPECT_EQ(ColorFromText(upper), static_cast<ColorValue>(value)) << upper;
    EXPECT_EQ(ColorFromText(" " + lower + "\t"), static_cast<ColorValue>(value)) << lower;
  }
}

TEST(MarkupColours, AnythingElseIsTheDefault) {
  for (const char* text : {"", "nope", "cl Red", "clRedd", "Red", "clGrey", "clBtnFace:", "clRed.", "clŁ"}) {
    EXPECT_EQ(ColorFromText(text), kDefaultColor) << text;
  }
}

TEST(MarkupAlignment, RightAndCenterElseLeft) {
  EXPECT_EQ(AlignmentFromText("RIGHT"), Alignment::Right);
  EXPECT_EQ(AlignmentFromText(" right\t"), Alignment::Right);
  EXPECT_EQ(AlignmentFromText("center"), Alignment::Center);
  EXPECT_EQ(AlignmentFromText("CeNtEr"), Alignment::Center);
  for (const char* text : {"LEFT", "", " ", "CENTRE", "middle", "RIGHT!", "R"}) {
    EXPECT_EQ(AlignmentFromText(text), Alignment::Left) << text;
  }
}

TEST(MarkupTrim, BlanksAreCodes32AndBelow) {
  EXPECT_EQ(Trim(" \t\x01x y\x1f\x20"), "x y");
  EXPECT_EQ(Trim("\x7f"
                 "x\xA0"),
            "\x7f"
            "x\xA0");
  EXPECT_EQ(Trim("   "), "");
}

}  // namespace
}  // namespace kolvex
