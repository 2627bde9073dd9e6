#include "messages/RichTextBox_win32.h"

#include <richedit.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <vector>

#include "common/Unicode.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "messages/Markup.h"
#include "messages/MarkupBox.h"
#include "messages/MarkupSizing.h"
#include "messages/RichTextDocument_win32.h"

namespace kolvex {

namespace {

// The rich-edit control takes sizes in twips and shows at most 1638 points.
constexpr int kMinPoints = 1;
constexpr int kMaxPoints = 1638;
constexpr int kTwipsPerPoint = 20;
// "MS Sans Serif" and its kind hold ł, ą, ę only in their Central European set.
constexpr BYTE kCharSet = EASTEUROPE_CHARSET;

int ShownPoints(int size) { return std::clamp(size, kMinPoints, kMaxPoints); }

CHARFORMAT2W EmptyCharFormat() {
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  return cf;
}

PARAFORMAT2 EmptyParaFormat() {
  PARAFORMAT2 pf{};
  pf.cbSize = sizeof pf;
  return pf;
}

// Measures on a memory DC, one font per style set, made when first needed.
class GdiCanvas final : public TextCanvas {
 public:
  static std::unique_ptr<TextCanvas> Open(const std::wstring& face, int points) {
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) return nullptr;
    return std::unique_ptr<TextCanvas>(new GdiCanvas(std::move(dc), face, points));
  }

  std::optional<TextExtent> Measure(std::string_view text, FontStyles styles) override {
    UniqueFont& font = fonts_[styles.Bits()];
    if (!font) {
      LOGFONTW lf = base_;
      lf.lfWeight = styles.Has(FontStyle::Bold) ? FW_BOLD : FW_NORMAL;
      lf.lfItalic = styles.Has(FontStyle::Italic);
      lf.lfUnderline = styles.Has(FontStyle::Underline);
      lf.lfStrikeOut = styles.Has(FontStyle::StrikeOut);
      font.reset(CreateFontIndirectW(&lf));
      if (!font) return std::nullopt;
    }
    const std::wstring wide = Widen(text);
    SelectGuard select(dc_.get(), font.get());
    SIZE size{};
    if (!GetTextExtentPoint32W(dc_.get(), wide.c_str(), static_cast<int>(wide.size()), &size)) return std::nullopt;
    return TextExtent{size.cx, size.cy};
  }

 private:
  GdiCanvas(UniqueMemoryDc dc, const std::wstring& face, int points) : dc_(std::move(dc)) {
    base_.lfHeight = -MulDiv(points, GetDeviceCaps(dc_.get(), LOGPIXELSY), 72);
    base_.lfCharSet = kCharSet;
    base_.lfQuality = DEFAULT_QUALITY;
    face.copy(base_.lfFaceName, LF_FACESIZE - 1);
  }

  UniqueMemoryDc dc_;
  LOGFONTW base_{};
  std::array<UniqueFont, 16> fonts_;  // by FontStyles::Bits(); never selected between calls
};

// The markup box on a RICHEDIT50W control. What the renderer inserts is
// kept in a document and streamed into the control when the control's own
// layout is first needed: the line count with word wrap on. With word wrap
// off every paragraph is one line, so the longest line is measured from the
// document, without reading the control back.
class RichEditBox final : public MarkupBox {
 public:
  explicit RichEditBox(HWND wnd) : wnd_(wnd) {}

  void Clear() override {
    // Messages of any length; the box is read-only, so it needs no undo.
    Send(EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    Send(EM_SETUNDOLIMIT, 0, 0);
    SetWindowTextW(wnd_, L"");
    // An emptied control keeps the formatting of what it last held.
    CHARFORMAT2W cf = DefaultCharFormat();
    Send(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    SetControlAlignment(Alignment::Left);
    document_.Clear();
    format_ = {StylesOf(cf), kDefaultColor};
    stale_ = false;
    styledLine_ = -1;
  }

  void SetFont(const std::string& name, int size) override {
    font_ = EmptyCharFormat();
    font_.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET;
    fontPoints_ = ShownPoints(size);
    font_.yHeight = fontPoints_ * kTwipsPerPoint;
    font_.bCharSet = kCharSet;
    fontName_ = Widen(name);
    fontName_.copy(font_.szFaceName, LF_FACESIZE - 1);
    Send(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&font_));
    Send(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&font_));
  }

  void SetWordWrap(bool on) override {
    // Line width 0 wraps at the window; 1 is the documented "no wrap".
    Send(EM_SETTARGETDEVICE, 0, on ? 0 : 1);
    wrap_ = on;
  }

  void InsertText(std::string_view text) override {
    // The control cannot hold a NUL: left out.
    std::wstring wide = Widen(text);
    std::erase(wide, L'\0');
    document_.Append(wide, format_);
    Changed();
  }

  FontStyles InsertionStyle() const override { return format_.style; }
  void SetInsertionStyle(FontStyles styles) override { format_.style = styles; }
  ColorValue InsertionColor() const override { return format_.color; }
  void SetInsertionColor(ColorValue color) override { format_.color = color; }

  void InsertParagraphBreak() override {
    document_.BreakParagraph();
    Changed();
  }

  void SetParagraphAlignment(Alignment alignment) override {
    document_.SetLastAlignment(alignment);
    Changed();
  }

  int LineCount() const override {
    if (!wrap_) {
      const auto& paragraphs = document_.Paragraphs();
      return static_cast<int>(paragraphs.size()) - (paragraphs.back().text.empty() ? 1 : 0);
    }
    Load();
    // The control counts an empty last line, and reports one line when empty.
    const int lines = static_cast<int>(Send(EM_GETLINECOUNT, 0, 0));
    if (lines <= 0) return 0;
    const LRESULT lastStart = Send(EM_LINEINDEX, lines - 1, 0);
    return Send(EM_LINELENGTH, lastStart, 0) == 0 ? lines - 1 : lines;
  }

  std::string LineText(int line) const override {
    const FormattedParagraph* p = Paragraph(line);
    return p ? Narrow(p->text) : std::string();
  }

  FontStyles CharStyle(int line, int index) const override {
    if (line != styledLine_) {
      styledLine_ = line;
      lineStyles_.clear();
      if (const FormattedParagraph* p = Paragraph(line)) {
        auto run = p->runs.begin();
        for (size_t i = 0; i < p->text.size(); ++i) {
          while (run->end <= i) ++run;
          if (!IsLowSurrogate(p->text[i]) || i == 0 || !IsHighSurrogate(p->text[i - 1])) {
            lineStyles_.push_back(run->format.style);
          }
        }
      }
    }
    return index >= 0 && static_cast<size_t>(index) < lineStyles_.size() ? lineStyles_[static_cast<size_t>(index)]
                                                                         : FontStyles();
  }

  int Width() const override { return WindowRect().right - WindowRect().left; }
  int Height() const override { return WindowRect().bottom - WindowRect().top; }
  void SetWidth(int width) override { Resize(std::max(width, 0), Height()); }
  void SetHeight(int height) override { Resize(Width(), std::max(height, 0)); }

  int Left() const override {
    RECT r = WindowRect();
    MapWindowPoints(HWND_DESKTOP, GetAncestor(wnd_, GA_PARENT), reinterpret_cast<POINT*>(&r), 2);
    return r.left;
  }

  int ScreenWidth() const override { return GetSystemMetrics(SM_CXSCREEN); }

  std::unique_ptr<TextCanvas> OpenCanvas() const override { return GdiCanvas::Open(fontName_, fontPoints_); }

  // Puts the document into the control, if the control does not hold it yet.
  void Load() const {
    if (!stale_) return;
    stale_ = false;
    const auto& paragraphs = document_.Paragraphs();
    // A trailing empty paragraph is added as a plain break: streamed, its
    // \par would be taken for the end of the text.
    const bool emptyLast = paragraphs.size() > 1 && paragraphs.back().text.empty();
    const size_t streamed = paragraphs.size() - (emptyLast ? 1 : 0);
    const CHARFORMAT2W def = DefaultCharFormat();
    const std::optional<COLORREF> defaultRgb =
        def.dwEffects & CFE_AUTOCOLOR ? std::nullopt : std::optional<COLORREF>(def.crTextColor);
    const std::string rtf =
        ToRtf(document_, streamed, [&](ColorValue c) { return c == kDefaultColor ? defaultRgb : Rgb(c); });
    RtfReader reader{rtf};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&reader), 0, &RtfReader::Read};
    Send(EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    if (stream.dwError != 0) {
      // The message unformatted rather than lost.
      std::wstring plain;
      for (size_t i = 0; i < streamed; ++i) plain += (i > 0 ? L"\r" : L"") + paragraphs[i].text;
      SetWindowTextW(wnd_, plain.c_str());
    }
    Send(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&font_));
    GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LRESULT end = Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    Send(EM_SETSEL, static_cast<WPARAM>(end), end);
    if (emptyLast) Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"\r"));
    // The reader leaves the last paragraph, which no \par ends, as it was.
    SetControlAlignment(paragraphs.back().align);
  }

 private:
  // Hands the RTF to EM_STREAMIN piece by piece.
  struct RtfReader {
    std::string_view rest;
    static DWORD CALLBACK Read(DWORD_PTR self, LPBYTE buffer, LONG size, LONG* read) {
      auto& r = *reinterpret_cast<RtfReader*>(self);
      const size_t n = std::min(r.rest.size(), static_cast<size_t>(std::max<LONG>(size, 0)));
      std::copy_n(r.rest.data(), n, buffer);
      r.rest.remove_prefix(n);
      *read = static_cast<LONG>(n);
      return 0;
    }
  };

  LRESULT Send(UINT msg, WPARAM wp, LPARAM lp) const { return SendMessageW(wnd_, msg, wp, lp); }

  void Changed() {
    stale_ = true;
    styledLine_ = -1;
  }

  const FormattedParagraph* Paragraph(int line) const {
    const auto& paragraphs = document_.Paragraphs();
    return line >= 0 && static_cast<size_t>(line) < paragraphs.size() ? &paragraphs[static_cast<size_t>(line)]
                                                                     : nullptr;
  }

  CHARFORMAT2W DefaultCharFormat() const {
    CHARFORMAT2W cf = EmptyCharFormat();
    Send(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    return cf;
  }

  // A system colour is the desktop's present one; other top bytes mean
  // nothing to the control: the low three bytes show. (The default colour
  // is the control's default text colour.)
  static COLORREF Rgb(ColorValue color) {
    const auto bits = static_cast<std::uint32_t>(color);
    if ((bits & 0xFF000000u) == 0x80000000u) return GetSysColor(static_cast<int>(bits & 0x00FFFFFFu));
    return bits & 0x00FFFFFFu;
  }

  void SetControlAlignment(Alignment alignment) const {
    PARAFORMAT2 pf = EmptyParaFormat();
    pf.dwMask = PFM_ALIGNMENT;
    pf.wAlignment = alignment == Alignment::Right ? PFA_RIGHT : alignment == Alignment::Center ? PFA_CENTER : PFA_LEFT;
    Send(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
  }

  static FontStyles StylesOf(const CHARFORMAT2W& cf) {
    FontStyles styles;
    if (cf.dwEffects & CFE_BOLD) styles = styles.With(FontStyle::Bold);
    if (cf.dwEffects & CFE_ITALIC) styles = styles.With(FontStyle::Italic);
    if (cf.dwEffects & CFE_UNDERLINE) styles = styles.With(FontStyle::Underline);
    if (cf.dwEffects & CFE_STRIKEOUT) styles = styles.With(FontStyle::StrikeOut);
    return styles;
  }

  RECT WindowRect() const {
    RECT r{};
    GetWindowRect(wnd_, &r);
    return r;
  }

  void Resize(int width, int height) {
    SetWindowPos(wnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  HWND wnd_;
  RichTextDocument document_;
  TextRunFormat format_;  // of the next insertion
  CHARFORMAT2W font_ = EmptyCharFormat();
  std::wstring fontName_ = Widen(kDefaultFontName);
  int fontPoints_ = kDefaultFontSize;
  bool wrap_ = true;
  mutable bool stale_ = false;  // the control does not hold the document yet
  mutable int styledLine_ = -1;
  mutable std::vector<FontStyles> lineStyles_;  // of each character of styledLine_
};

}  // namespace

const wchar_t* RichTextBoxClass() {
  // Loaded for the life of the process: every box made from the class needs it.
  static const HMODULE library = LoadLibraryW(L"Msftedit.dll");
  (void)library;
  return MSFTEDIT_CLASS;
}

int RenderMarkup(HWND richEdit, const std::string& text, int buttonCount) {
  RichEditBox box(richEdit);
  const int lineHeight = RenderMarkup(box, text, buttonCount);
  box.Load();
  // Show the text from its start.
  SendMessageW(richEdit, EM_SETSEL, 0, 0);
  SendMessageW(richEdit, EM_SCROLLCARET, 0, 0);
  return lineHeight;
}

void ResizeTextBox(HWND richEdit, int width, int lineHeight) {
  RichEditBox box(richEdit);  // holds nothing of its own: it asks the control
  box.SetWidth(width);
  box.SetHeight(BoxHeight(lineHeight, box.LineCount()));
}

}  // namespace kolvex
