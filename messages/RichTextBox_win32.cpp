#include "messages/RichTextBox_win32.h"

#include <richedit.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <vector>

#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "messages/Markup.h"
#include "messages/MarkupBox.h"

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

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Measures on a memory DC, one font per style set, made when first needed.
class GdiCanvas final : public TextCanvas {
 public:
  static std::unique_ptr<TextCanvas> Open(const std::wstring& face, int points) {
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) return nullptr;
    return std::unique_ptr<TextCanvas>(new GdiCanvas(std::move(dc), face, points));
  }

  std::optional<TextExtent> Measure(std::string_view text, FontStyles styles) override {
    UniqueGdiObject& font = fonts_[styles.Bits()];
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
  std::array<UniqueGdiObject, 16> fonts_;  // by FontStyles::Bits(); never selected between calls
};

// The markup box on a RICHEDIT50W control. Character positions are the
// control's UTF-16 units; the interface counts code points, so the text of
// the line last asked about is kept to translate between them.
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
    SetParagraphAlignment(Alignment::Left);
    ForgetLine();
  }

  void SetFont(const std::string& name, int size) override {
    fontName_ = Widen(name);
    fontPoints_ = ShownPoints(size);
    CHARFORMAT2W cf = EmptyCharFormat();
    cf.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET;
    cf.yHeight = fontPoints_ * kTwipsPerPoint;
    cf.bCharSet = kCharSet;
    fontName_.copy(cf.szFaceName, LF_FACESIZE - 1);
    Send(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    Send(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
  }

  void SetWordWrap(bool on) override {
    // Line width 0 wraps at the window; 1 is the documented "no wrap".
    Send(EM_SETTARGETDEVICE, 0, on ? 0 : 1);
    ForgetLine();
  }

  void InsertText(std::string_view text) override {
    // EM_REPLACESEL stops at a NUL, which the control cannot hold: skip them.
    const std::wstring wide = Widen(text);
    for (size_t begin = 0; begin < wide.size();) {
      size_t end = wide.find(L'\0', begin);
      if (end == std::wstring::npos) end = wide.size();
      if (end > begin) {
        const std::wstring piece = wide.substr(begin, end - begin);
        Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
      }
      begin = end + 1;
    }
    ForgetLine();
  }

  FontStyles InsertionStyle() const override { return StylesOf(SelectionCharFormat()); }

  void SetInsertionStyle(FontStyles styles) override {
    CHARFORMAT2W cf = EmptyCharFormat();
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    if (styles.Has(FontStyle::Bold)) cf.dwEffects |= CFE_BOLD;
    if (styles.Has(FontStyle::Italic)) cf.dwEffects |= CFE_ITALIC;
    if (styles.Has(FontStyle::Underline)) cf.dwEffects |= CFE_UNDERLINE;
    if (styles.Has(FontStyle::StrikeOut)) cf.dwEffects |= CFE_STRIKEOUT;
    Send(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  }

  ColorValue InsertionColor() const override {
    const CHARFORMAT2W cf = SelectionCharFormat();
    if (cf.dwEffects & CFE_AUTOCOLOR) return kDefaultColor;
    return static_cast<ColorValue>(cf.crTextColor);
  }

  void SetInsertionColor(ColorValue color) override {
    CHARFORMAT2W cf = EmptyCharFormat();
    cf.dwMask = CFM_COLOR;
    const auto bits = static_cast<std::uint32_t>(color);
    if (color == kDefaultColor) {
      const CHARFORMAT2W def = DefaultCharFormat();
      cf.dwEffects = def.dwEffects & CFE_AUTOCOLOR;
      cf.crTextColor = def.crTextColor;
    } else if ((bits & 0xFF000000u) == 0x80000000u) {
      cf.crTextColor = GetSysColor(static_cast<int>(bits & 0x00FFFFFFu));
    } else {
      // Other top bytes mean nothing to the control: the low three bytes show.
      cf.crTextColor = bits & 0x00FFFFFFu;
    }
    Send(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  }

  void InsertParagraphBreak() override {
    Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"\r"));
    ForgetLine();
  }

  void SetParagraphAlignment(Alignment alignment) override {
    PARAFORMAT2 pf = EmptyParaFormat();
    pf.dwMask = PFM_ALIGNMENT;
    pf.wAlignment = alignment == Alignment::Right ? PFA_RIGHT : alignment == Alignment::Center ? PFA_CENTER : PFA_LEFT;
    Send(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
  }

  int LineCount() const override {
    // The control counts an empty last line, and reports one line when empty.
    const int lines = static_cast<int>(Send(EM_GETLINECOUNT, 0, 0));
    if (lines <= 0) return 0;
    const LRESULT lastStart = Send(EM_LINEINDEX, lines - 1, 0);
    return Send(EM_LINELENGTH, lastStart, 0) == 0 ? lines - 1 : lines;
  }

  std::string LineText(int line) const override { return Narrow(Line(line).Text); }

  FontStyles CharStyle(int line, int index) const override {
    CachedLine& cached = Line(line);
    if (index < 0 || static_cast<size_t>(index) >= cached.CharStarts.size()) return {};
    if (cached.Styles.empty()) ReadStyles(cached);
    return cached.Styles[static_cast<size_t>(cached.CharStarts[static_cast<size_t>(index)])];
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

 private:
  struct CachedLine {
    int Number = -1;
    LONG Start = 0;
    std::wstring Text;
    std::vector<int> CharStarts;      // UTF-16 offset of each code point
    std::vector<FontStyles> Styles;  // of each UTF-16 unit, once asked for
  };

  LRESULT Send(UINT msg, WPARAM wp, LPARAM lp) const { return SendMessageW(wnd_, msg, wp, lp); }

  CHARFORMAT2W DefaultCharFormat() const {
    CHARFORMAT2W cf = EmptyCharFormat();
    Send(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    return cf;
  }

  CHARFORMAT2W SelectionCharFormat() const {
    CHARFORMAT2W cf = EmptyCharFormat();
    Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
  }

  static FontStyles StylesOf(const CHARFORMAT2W& cf) {
    FontStyles styles;
    if (cf.dwEffects & CFE_BOLD) styles = styles.With(FontStyle::Bold);
    if (cf.dwEffects & CFE_ITALIC) styles = styles.With(FontStyle::Italic);
    if (cf.dwEffects & CFE_UNDERLINE) styles = styles.With(FontStyle::Underline);
    if (cf.dwEffects & CFE_STRIKEOUT) styles = styles.With(FontStyle::StrikeOut);
    return styles;
  }

  // Asks the control about whole stretches of the line and halves only those
  // of mixed style: a few questions per run of one style, not one per character.
  void ReadStyles(CachedLine& line) const {
    constexpr DWORD kStyleMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    const int size = static_cast<int>(line.Text.size());
    line.Styles.resize(line.Text.size());
    std::vector<std::pair<int, int>> pending;
    if (size > 0) pending.emplace_back(0, size);
    while (!pending.empty()) {
      const auto [from, to] = pending.back();
      pending.pop_back();
      CHARRANGE range{line.Start + from, line.Start + to};
      Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
      const CHARFORMAT2W cf = SelectionCharFormat();
      int middle = from + (to - from) / 2;
      if (middle > from && IsHighSurrogate(line.Text[static_cast<size_t>(middle - 1)])) ++middle;
      if ((cf.dwMask & kStyleMask) == kStyleMask || middle >= to) {
        std::fill(line.Styles.begin() + from, line.Styles.begin() + to, StylesOf(cf));
      } else {
        pending.emplace_back(middle, to);
        pending.emplace_back(from, middle);
      }
    }
    // Back to the caret after the text, where everything is inserted.
    GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LRESULT end = Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    Send(EM_SETSEL, static_cast<WPARAM>(end), end);
  }

  CachedLine& Line(int line) const {
    if (line_.Number == line) return line_;
    line_ = CachedLine{};
    line_.Number = line;
    const LRESULT start = Send(EM_LINEINDEX, line, 0);
    if (start < 0) return line_;
    const LRESULT length = Send(EM_LINELENGTH, start, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    TEXTRANGEW range{{static_cast<LONG>(start), static_cast<LONG>(start + length)}, text.data()};
    const LRESULT copied = Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
    line_.Start = static_cast<LONG>(start);
    for (size_t i = 0; i < text.size(); ++i) {
      if (i == 0 || !(text[i] >= 0xDC00 && text[i] <= 0xDFFF && IsHighSurrogate(text[i - 1]))) {
        line_.CharStarts.push_back(static_cast<int>(i));
      }
    }
    line_.Text = std::move(text);
    return line_;
  }

  void ForgetLine() { line_ = CachedLine{}; }

  RECT WindowRect() const {
    RECT r{};
    GetWindowRect(wnd_, &r);
    return r;
  }

  void Resize(int width, int height) {
    SetWindowPos(wnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ForgetLine();
  }

  HWND wnd_;
  std::wstring fontName_ = Widen(kDefaultFontName);
  int fontPoints_ = kDefaultFontSize;
  mutable CachedLine line_;
};

}  // namespace

const wchar_t* RichTextBoxClass() {
  // Loaded for the life of the process: every box made from the class needs it.
  static const HMODULE library = LoadLibraryW(L"Msftedit.dll");
  (void)library;
  return MSFTEDIT_CLASS;
}

void RenderMarkup(HWND richEdit, const std::string& text, int buttonCount) {
  RichEditBox box(richEdit);
  RenderMarkup(box, text, buttonCount);
  // Measuring moved the selection; show the text from its start.
  SendMessageW(richEdit, EM_SETSEL, 0, 0);
  SendMessageW(richEdit, EM_SCROLLCARET, 0, 0);
}

}  // namespace kolvex
