// The markup rendered into the real rich-edit control, read back character
// by character with the control's own messages. The control is the child of
// a hidden window, as in the message window before it is shown.
#include <gtest/gtest.h>
#include <richedit.h>
#include <windows.h>

#include <algorithm>
#include <tuple>

#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "messages/MarkupFakeBox.h"
#include "messages/MarkupSizing.h"
#include "messages/RichTextBox_win32.h"

namespace kolvex {
namespace {

using test::Paragraph;
using test::TextRun;
using Paragraphs = std::vector<Paragraph>;

constexpr int kLeft = 55;
constexpr int kStartWidth = 245;
constexpr ColorValue kRed = 0x000000FF;
constexpr int kBlankLinesWide = 20;  // needed width = longest line + this

TextRun Plain(std::string text) { return TextRun{std::move(text), {}, kDefaultColor}; }
TextRun Bold(std::string text) { return TextRun{std::move(text), FontStyle::Bold, kDefaultColor}; }
Paragraph Left(std::vector<TextRun> runs = {}) { return Paragraph{Alignment::Left, std::move(runs)}; }
Paragraph Centred(std::vector<TextRun> runs) { return Paragraph{Alignment::Center, std::move(runs)}; }
Paragraph Right(std::vector<TextRun> runs) { return Paragraph{Alignment::Right, std::move(runs)}; }

struct CharFormat {
  FontStyles style;
  ColorValue color;
  std::wstring face;
  int twips;
  BYTE charSet;
};

class RichEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_.reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 100, 800, 600, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(parent_);
    box_ = CreateWindowExW(0, RichTextBoxClass(), L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, kLeft, 10,
                           kStartWidth, 20, parent_.get(), nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(box_, nullptr);
    // As in the message window: its font, plain, which the box's default text takes.
    SendMessageW(box_, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.get()), FALSE);
  }

  LRESULT Send(UINT msg, WPARAM wp, LPARAM lp) const { return SendMessageW(box_, msg, wp, lp); }

  void Render(const std::string& markup, int buttons = 1) { RenderMarkup(box_, markup, buttons); }

  std::wstring Text() const {
    GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const auto n = static_cast<LONG>(Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    TEXTRANGEW range{{0, n}, text.data()};
    text.resize(static_cast<size_t>(Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range))));
    return text;
  }

  CharFormat FormatAt(LONG pos) const {
    CHARRANGE range{pos, pos + 1};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    FontStyles s;
    if (cf.dwEffects & CFE_BOLD) s = s.With(FontStyle::Bold);
    if (cf.dwEffects & CFE_ITALIC) s = s.With(FontStyle::Italic);
    if (cf.dwEffects & CFE_UNDERLINE) s = s.With(FontStyle::Underline);
    if (cf.dwEffects & CFE_STRIKEOUT) s = s.With(FontStyle::StrikeOut);
    const ColorValue color = (cf.dwEffects & CFE_AUTOCOLOR) ? kDefaultColor : static_cast<ColorValue>(cf.crTextColor);
    return CharFormat{s, color, cf.szFaceName, static_cast<int>(cf.yHeight), cf.bCharSet};
  }

  Alignment AlignmentAt(LONG pos) const {
    CHARRANGE range{pos, pos};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof pf;
    Send(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    return pf.wAlignment == PFA_RIGHT    ? Alignment::Right
           : pf.wAlignment == PFA_CENTER ? Alignment::Center
                                         : Alignment::Left;
  }

  // The whole content, character by character, in the fake box's terms.
  Paragraphs Read() const {
    const std::wstring text = Text();
    Paragraphs out{Paragraph{AlignmentAt(0), {}}};
    for (size_t i = 0; i < text.size(); ++i) {
      const LONG pos = static_cast<LONG>(i);
      if (text[i] == L'\r') {
        out.push_back(Paragraph{AlignmentAt(pos + 1), {}});
        continue;
      }
      const CharFormat f = FormatAt(pos);
      AppendCharacter(out, Narrow(std::wstring_view(&text[i], 1)), f.style, f.color);
    }
    return out;
  }

  // Every character in the given face and size.
  void ExpectFont(const wchar_t* face, int points) const {
    const std::wstring text = Text();
    for (size_t i = 0; i < text.size(); ++i) {
      const CharFormat f = FormatAt(static_cast<LONG>(i));
      EXPECT_EQ(f.face, face) << "character " << i;
      EXPECT_EQ(f.twips, points * 20) << "character " << i;
    }
  }

  int ControlLines() const { return static_cast<int>(Send(EM_GETLINECOUNT, 0, 0)); }

  SIZE BoxSize() const {
    RECT r{};
    GetWindowRect(box_, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
  }

  UniqueFont windowFont_{
      CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Sans Serif")};
  UniqueWindow parent_;
  HWND box_ = nullptr;
};

// Independent GDI figures for the box's font.
class Gdi {
 public:
  Gdi(const wchar_t* face, int points) : dc_(CreateCompatibleDC(nullptr)), face_(face), points_(points) {}
  SIZE Extent(const std::wstring& text, bool bold, bool italic = false) const {
    UniqueFont font(CreateFontW(-MulDiv(points_, GetDeviceCaps(dc_.get(), LOGPIXELSY), 72), 0, 0, 0,
                                     bold ? FW_BOLD : FW_NORMAL, italic, 0, 0, EASTEUROPE_CHARSET, 0, 0, 0, 0,
                                     face_.c_str()));
    SelectGuard select(dc_.get(), font.get());
    SIZE size{};
    GetTextExtentPoint32W(dc_.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
  }
  int LineHeight() const { return Extent(L"MYy", true).cy; }

 private:
  UniqueMemoryDc dc_;
  std::wstring face_;
  int points_;
};

TEST_F(RichEditTest, TheClassIsTheUnicodeRichEdit) {
  EXPECT_STREQ(RichTextBoxClass(), L"RICHEDIT50W");
  EXPECT_EQ(RichTextBoxClass(), RichTextBoxClass());
}

TEST_F(RichEditTest, HeaderFontThenCentredParagraphWithBoldAndRed) {
  Render("<FONT:Arial><SIZE:10>Warning<A:CENTER><B>File</B> <C:clRed>not found");
  EXPECT_EQ(Read(), (Paragraphs{Left({Plain("Warning")}),
                                Centred({Bold("File"), Plain(" "), TextRun{"not found", {}, kRed}})}));
  ExpectFont(L"Arial", 10);
  EXPECT_EQ(ControlLines(), 2);
}

TEST_F(RichEditTest, CaretAndAlignTagStartParagraphs) {
  Render("a^b<A:RIGHT>c");
  EXPECT_EQ(Read(), (Paragraphs{Left({Plain("a")}), Left({Plain("b")}), Right({Plain("c")})}));
  EXPECT_EQ(ControlLines(), 3);

  Render("<A:CENTER>Title");
  EXPECT_EQ(Read(), (Paragraphs{Left(), Centred({Plain("Title")})}));
  EXPECT_EQ(ControlLines(), 2);
}

TEST_F(RichEditTest, HeaderTagsOnlyAtTheStart) {
  Render("<F:Arial>Text");
  EXPECT_EQ(Read(), Paragraphs{Left({Plain("Text")})});
  ExpectFont(L"Arial", 8);

  Render("Text<FONT:Arial>");
  EXPECT_EQ(Read(), Paragraphs{Left({Plain("Text<FONT:Arial>")})});
  ExpectFont(L"MS Sans Serif", 8);

  Render("<SIZE:12 >Text");
  EXPECT_EQ(Read(), Paragraphs{Left({Plain("Text")})});
  ExpectFont(L"MS Sans Serif", 8);
}

TEST_F(RichEditTest, TagBoundaries) {
  Render("x < b > y");
  EXPECT_EQ(Read(), (Paragraphs{Left({Plain("x "), Bold(" y")})}));
  Render("x < y > z");
  EXPECT_EQ(Read(), Paragraphs{Left({Plain("x < y > z")})});
  Render("<<B>x");
  EXPECT_EQ(Read(), (Paragraphs{Left({Plain("<"), Bold("x")})}));
  Render("a <b");
  EXPECT_EQ(Read(), Paragraphs{Left({Plain("a <b")})});
}

TEST_F(RichEditTest, StyleAndColourCarryOverAParagraphBreak) {
  Render("<B>one<A:LEFT>two</B> three");
  EXPECT_EQ(Read(), (Paragraphs{Left({Bold("one")}), Left({Bold("two"), Plain(" three")})}));

  Render("<I><U><S><C:$FF0000>a<A:RIGHT>b</U></S>c");
  const FontStyles ius = FontStyles(FontStyle::Italic).With(FontStyle::Underline).With(FontStyle::StrikeOut);
  EXPECT_EQ(Read(), (Paragraphs{Left({TextRun{"a", ius, 0x00FF0000}}),
                                Right({TextRun{"b", ius, 0x00FF0000}, TextRun{"c", FontStyle::Italic, 0x00FF0000}})}));
}

TEST_F(RichEditTest, DefaultAndSystemColours) {
  Render("<C:clRed>a<COLOR:nope>b<C:clBtnFace>c<C:$80000008>d<C:clRed>e<C:clDefault>f");
  const auto face = static_cast<ColorValue>(GetSysColor(COLOR_BTNFACE));
  const auto windowText = static_cast<ColorValue>(GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(Read(), (Paragraphs{Left({TextRun{"a", {}, kRed}, Plain("b"), TextRun{"c", {}, face},
                                      TextRun{"d", {}, windowText}, TextRun{"e", {}, kRed}, Plain("f")})}));
}

TEST_F(RichEditTest, RenderingStartsAfresh) {
  Render("<F:Arial><S:20><B><C:clRed><A:RIGHT>old");
  Render("new");
  EXPECT_EQ(Read(), Paragraphs{Left({Plain("new")})});
  ExpectFont(L"MS Sans Serif", 8);
}

TEST_F(RichEditTest, PolishLettersInTheCentralEuropeanSet) {
  Render("Zażółć gęślą jaźń");
  EXPECT_EQ(Text(), L"Za\u017c\u00f3\u0142\u0107 g\u0119\u015bl\u0105 ja\u017a\u0144");
  EXPECT_EQ(FormatAt(4).charSet, EASTEUROPE_CHARSET);
}

TEST_F(RichEditTest, TheCopyErrorMessageIsThreeLeftLines) {
  Render("Błąd kopiowania pliku: prog.exe\r\rSharing violation.\r\n");
  EXPECT_EQ(Text(), L"B\u0142\u0105d kopiowania pliku: prog.exe\r\rSharing violation.\r");
  EXPECT_EQ(Read(), (Paragraphs{Left({Plain("Błąd kopiowania pliku: prog.exe")}), Left(),
                                Left({Plain("Sharing violation.")}), Left()}));
  // Three lines and the empty one after the last break, which the height leaves out.
  EXPECT_EQ(ControlLines(), 4);
  const Gdi gdi(L"MS Sans Serif", 8);
  EXPECT_EQ(BoxSize().cy, 4 * gdi.LineHeight());
  const int needed = gdi.Extent(L"B\u0142\u0105d kopiowania pliku: prog.exe", false).cx + kBlankLinesWide;
  EXPECT_EQ(BoxSize().cx, needed > kStartWidth ? needed + 5 : kStartWidth);
}

TEST_F(RichEditTest, AShortTextKeepsTheStartingWidth) {
  Render("OK");
  const Gdi gdi(L"MS Sans Serif", 8);
  EXPECT_EQ(BoxSize().cx, kStartWidth);
  EXPECT_EQ(BoxSize().cy, 2 * gdi.LineHeight());
  EXPECT_EQ(ControlLines(), 1);
}

TEST_F(RichEditTest, AnEmptyTextIsOneLineHigh) {
  Render("");
  EXPECT_EQ(Text(), L"");
  EXPECT_EQ(BoxSize().cx, kStartWidth);
  EXPECT_EQ(BoxSize().cy, Gdi(L"MS Sans Serif", 8).LineHeight());
}

TEST_F(RichEditTest, AWiderTextWidensTheBoxWithoutWrapping) {
  // Longer than 245 pixels, well within the screen's limit.
  const std::string line = "Nie można skopiować pliku, ponieważ jest używany";
  Render("<B>" + line + "</B>^short");
  const Gdi gdi(L"MS Sans Serif", 8);
  const int width = gdi.Extent(Widen(line), true).cx;
  ASSERT_GT(width + kBlankLinesWide, kStartWidth);
  EXPECT_EQ(BoxSize().cx, width + kBlankLinesWide + 5);
  EXPECT_EQ(ControlLines(), 2);  // the margin is enough for the control not to wrap
  EXPECT_EQ(BoxSize().cy, 3 * gdi.LineHeight());
}

TEST_F(RichEditTest, EachCharacterOfTheLongestLineIsMeasuredInItsOwnStyle) {
  std::string markup;
  int width = 0;
  const Gdi gdi(L"MS Sans Serif", 8);
  for (int i = 0; i < 6; ++i) {
    markup += "Wy<B>Mm</B>ii<I>Ww</I><B><I>Qq</I></B> ";
    for (const auto& [text, bold, italic] : {std::tuple{L"W", false, false},
                                             {L"y", false, false},
                                             {L"M", true, false},
                                             {L"m", true, false},
                                             {L"i", false, false},
                                             {L"i", false, false},
                                             {L"W", false, true},
                                             {L"w", false, true},
                                             {L"Q", true, true},
                                             {L"q", true, true},
                                             {L" ", false, false}}) {
      width += gdi.Extent(text, bold, italic).cx;
    }
  }
  Render("short^" + markup + "^" + std::string(20, 'x'));
  ASSERT_GT(width + kBlankLinesWide, kStartWidth);
  EXPECT_EQ(BoxSize().cx, width + kBlankLinesWide + 5);
}

TEST_F(RichEditTest, ATextWiderThanTheScreenLimitWraps) {
  std::string words;
  for (int i = 0; i < 40; ++i) words += "słowo ";
  for (int buttons : {1, 4}) {
    Render(words, buttons);
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    const int limit = screen - 2 * SideMargin(screen, buttons) - kLeft - 10;
    EXPECT_EQ(BoxSize().cx, limit) << buttons;
    const int lines = ControlLines();
    EXPECT_GE(lines, 2) << buttons;
    EXPECT_EQ(BoxSize().cy, (lines + 1) * Gdi(L"MS Sans Serif", 8).LineHeight()) << buttons;
  }
}

TEST_F(RichEditTest, LargerHeaderSizeGivesTallerLines) {
  Render("<S:14>a^b^c");
  EXPECT_EQ(BoxSize().cy, 4 * Gdi(L"MS Sans Serif", 14).LineHeight());
  ExpectFont(L"MS Sans Serif", 14);
}

TEST_F(RichEditTest, OddSizesAndNamesStillRender) {
  for (const char* markup : {"<S:0>x", "<S:-5>x", "<S:2147483647>x", "<F:>x", "<F:No Such Font At All Here>x"}) {
    Render(markup);
    EXPECT_EQ(Text(), L"x") << markup;
    EXPECT_GT(BoxSize().cy, 0) << markup;
  }
}

TEST_F(RichEditTest, NulCharactersAreLeftOut) {
  Render(std::string("a\0b<B>c\0", 8));
  EXPECT_EQ(Read(), (Paragraphs{Left({Plain("ab"), Bold("c")})}));
}

TEST_F(RichEditTest, LongTextIsKeptWhole) {
  // Past the control's usual limit of 32767 characters.
  const std::string line = "<B>" + std::string(40, 'a') + "</B>" + std::string(9, 'b') + "^";
  std::string text;
  for (int i = 0; i < 700; ++i) text += line;
  Render(text);
  EXPECT_EQ(Text().size(), 700u * 50);
}

}  // namespace
}  // namespace kolvex
