#pragma once
// A rich-text box in memory for the markup tests and the fuzz target: it
// keeps every character with its style and colour, every paragraph with its
// alignment, and a log of what it was told to do. Its font has simple
// metrics: a character is 5 pixels wide ("W" 12, "i" 2), one more in bold;
// text is size + 5 pixels high. With word wrap on, lines break between any
// two characters at the box's width.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "messages/MarkupBox.h"

namespace kolvex::test {

struct TextRun {
  std::string text;
  FontStyles style;
  ColorValue color = kDefaultColor;
  bool operator==(const TextRun&) const = default;
};

struct Paragraph {
  Alignment align = Alignment::Left;
  std::vector<TextRun> runs;
  bool operator==(const Paragraph&) const = default;
};

// Adds a character to the last paragraph: to its last run, or to a new run
// where the format changes.
inline void AppendCharacter(std::vector<Paragraph>& out, const std::string& c, FontStyles style, ColorValue color) {
  std::vector<TextRun>& runs = out.back().runs;
  if (runs.empty() || runs.back().style != style || runs.back().color != color) runs.push_back({"", style, color});
  runs.back().text += c;
}

inline std::ostream& operator<<(std::ostream& os, const FontStyles& s) {
  os << (s.Has(FontStyle::Bold) ? "B" : "") << (s.Has(FontStyle::Italic) ? "I" : "")
     << (s.Has(FontStyle::Underline) ? "U" : "") << (s.Has(FontStyle::StrikeOut) ? "S" : "");
  return os;
}

inline std::ostream& operator<<(std::ostream& os, const TextRun& r) {
  return os << "{\"" << r.text << "\" " << r.style << " 0x" << std::hex << static_cast<std::uint32_t>(r.color)
            << std::dec << "}";
}

inline std::ostream& operator<<(std::ostream& os, const Paragraph& p) {
  os << (p.align == Alignment::Left ? "left" : p.align == Alignment::Right ? "right" : "centre") << ":";
  for (const TextRun& r : p.runs) os << " " << r;
  return os;
}

class FakeBox final : public MarkupBox {
 public:
  // The box and the platform, as the tests arrange them.
  int boxLeft = 55;
  int boxWidth = 245;
  int boxHeight = 100;
  int screen = 1024;
  FontStyles defaultStyle;
  ColorValue defaultColor = kDefaultColor;
  bool canvasFails = false;
  int measuresBeforeFailure = -1;  // -1: measuring never fails

  // What it was told to do, one entry per change.
  std::vector<std::string> log;
  std::string fontName;
  int fontSize = 0;
  bool wordWrap = true;
  mutable int measures = 0;

  static int CharWidth(std::string_view c, FontStyles s) {
    return (c == "W" ? 12 : c == "i" ? 2 : 5) + (s.Has(FontStyle::Bold) ? 1 : 0);
  }

  // The whole text, paragraph breaks as "\r".
  const std::string& Text() const { return text_; }

  std::vector<Paragraph> Paragraphs() const {
    std::vector<Paragraph> out(1);
    out[0].align = align_[0];
    for (size_t i = 0; i < text_.size(); ++i) {
      if (text_[i] == '\r') {
        out.push_back(Paragraph{align_[out.size()], {}});
        continue;
      }
      AppendCharacter(out, std::string(1, text_[i]), style_[i], color_[i]);
    }
    return out;
  }

  void Clear() override {
    log.push_back("Clear");
    text_.clear();
    style_.clear();
    color_.clear();
    align_.assign(1, Alignment::Left);
    insStyle_ = defaultStyle;
    insColor_ = defaultColor;
    dirty_ = true;
  }
  void SetFont(const std::string& name, int size) override {
    log.push_back("Font " + name + " " + std::to_string(size));
    fontName = name;
    fontSize = size;
    dirty_ = true;
  }
  void SetWordWrap(bool on) override {
    log.push_back(on ? "Wrap on" : "Wrap off");
    wordWrap = on;
    dirty_ = true;
  }
  void InsertText(std::string_view text) override {
    log.push_back("Text " + std::string(text));
    for (char c : text) Append(c);
  }
  FontStyles InsertionStyle() const override { return insStyle_; }
  void SetInsertionStyle(FontStyles s) override {
    std::ostringstream os;
    os << "Style " << s;
    log.push_back(os.str());
    insStyle_ = s;
  }
  ColorValue InsertionColor() const override { return insColor_; }
  void SetInsertionColor(ColorValue c) override {
    log.push_back("Color " + std::to_string(c));
    insColor_ = c;
  }
  void InsertParagraphBreak() override {
    log.push_back("Break");
    Append('\r');
    align_.push_back(Alignment::Left);
  }
  void SetParagraphAlignment(Alignment a) override {
    log.push_back(a == Alignment::Left ? "Align left" : a == Alignment::Right ? "Align right" : "Align centre");
    align_.back() = a;
  }
  int LineCount() const override { return static_cast<int>(Lines().size()); }
  std::string LineText(int line) const override {
    const auto [begin, end] = Lines().at(static_cast<size_t>(line));
    return text_.substr(begin, end - begin);
  }
  FontStyles CharStyle(int line, int index) const override {
    const auto [begin, end] = Lines().at(static_cast<size_t>(line));
    size_t i = begin;
    for (int k = 0; k < index; ++k) i = CharEnd(i);
    if (i >= end) throw std::out_of_range("CharStyle past the end of the line");
    return style_[i];
  }
  int Width() const override { return boxWidth; }
  void SetWidth(int w) override {
    log.push_back("Width " + std::to_string(w));
    boxWidth = w;
    dirty_ = true;
  }
  int Height() const override { return boxHeight; }
  void SetHeight(int h) override {
    log.push_back("Height " + std::to_string(h));
    boxHeight = h;
  }
  int Left() const override { return boxLeft; }
  int ScreenWidth() const override { return screen; }

  std::unique_ptr<TextCanvas> OpenCanvas() const override {
    if (canvasFails) return nullptr;
    return std::make_unique<Canvas>(*this);
  }

 private:
  class Canvas final : public TextCanvas {
   public:
    explicit Canvas(const FakeBox& box) : box_(box) {}
    std::optional<TextExtent> Measure(std::string_view text, FontStyles styles) override {
      if (box_.measuresBeforeFailure >= 0 && box_.measures >= box_.measuresBeforeFailure) return std::nullopt;
      ++box_.measures;
      int width = 0;
      for (size_t i = 0; i < text.size();) {
        size_t end = i + 1;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
        width += CharWidth(text.substr(i, end - i), styles);
        i = end;
      }
      return TextExtent{width, static_cast<int>(std::min<std::int64_t>(std::int64_t{box_.fontSize} + 5, INT32_MAX))};
    }

   private:
    const FakeBox& box_;
  };

  void Append(char c) {
    text_ += c;
    style_.push_back(insStyle_);
    color_.push_back(insColor_);
    dirty_ = true;
  }

  size_t CharEnd(size_t i) const {
    ++i;
    while (i < text_.size() && (static_cast<unsigned char>(text_[i]) & 0xC0) == 0x80) ++i;
    return i;
  }

  // Line ranges [begin, end) in text_, worked out again after any change.
  const std::vector<std::pair<size_t, size_t>>& Lines() const {
    if (!dirty_) return lines_;
    lines_.clear();
    size_t begin = 0;
    for (;;) {
      size_t end = text_.find('\r', begin);
      const bool last = end == std::string::npos;
      if (last) end = text_.size();
      if (last && begin == end) break;  // an empty last line does not count
      WrapParagraph(begin, end);
      if (last) break;
      begin = end + 1;
    }
    dirty_ = false;
    return lines_;
  }

  void WrapParagraph(size_t begin, size_t end) const {
    if (!wordWrap || begin == end) {
      lines_.emplace_back(begin, end);
      return;
    }
    size_t lineBegin = begin;
    int used = 0;
    for (size_t i = begin; i < end;) {
      const size_t next = CharEnd(i);
      const int w = CharWidth(std::string_view(text_).substr(i, next - i), style_[i]);
      if (i > lineBegin && used + w > boxWidth) {
        lines_.emplace_back(lineBegin, i);
        lineBegin = i;
        used = 0;
      }
      used += w;
      i = next;
    }
    lines_.emplace_back(lineBegin, end);
  }

  std::string text_;
  std::vector<FontStyles> style_;
  std::vector<ColorValue> color_;
  std::vector<Alignment> align_{Alignment::Left};
  FontStyles insStyle_;
  ColorValue insColor_ = kDefaultColor;
  mutable std::vector<std::pair<size_t, size_t>> lines_;
  mutable bool dirty_ = true;
};

}  // namespace kolvex::test
