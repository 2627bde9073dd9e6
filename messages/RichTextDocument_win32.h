#pragma once
// The formatted text of one message as the renderer writes it, kept in
// memory until it goes into the rich-edit control in one piece. The control
// lays a whole paragraph out again at each insertion into it, so inserting
// run by run would cost time in proportion to the square of the runs; one
// EM_STREAMIN of the whole text as RTF is laid out once.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "messages/MarkupBox.h"

namespace kolvex {

struct TextRunFormat {
  FontStyles style;
  ColorValue color = kDefaultColor;
  bool operator==(const TextRunFormat&) const = default;
};

struct FormattedParagraph {
  Alignment align = Alignment::Left;
  std::wstring text;  // UTF-16, as the control holds it
  struct Run {
    std::size_t end;  // in text
    TextRunFormat format;
  };
  std::vector<Run> runs;  // in order, each ends where the next begins
};

class RichTextDocument {
 public:
  RichTextDocument() { Clear(); }

  void Clear() { paragraphs_.assign(1, FormattedParagraph{}); }
  // At the end, which is where the renderer's caret always stands.
  void Append(std::wstring_view text, const TextRunFormat& format);
  // The new paragraph takes the alignment of the one it ends, as the control's own break does.
  void BreakParagraph() { paragraphs_.push_back(FormattedParagraph{paragraphs_.back().align, {}, {}}); }
  void SetLastAlignment(Alignment alignment) { paragraphs_.back().align = alignment; }

  const std::vector<FormattedParagraph>& Paragraphs() const { return paragraphs_; }

 private:
  std::vector<FormattedParagraph> paragraphs_;
};

// The colour the control shows for a colour value; nothing: its automatic colour.
using ResolveColor = std::function<std::optional<COLORREF>(ColorValue)>;

// The first `count` paragraphs as RTF: styles, colours and alignment, every
// character outside 7-bit ASCII as \uN. No font: the control's own applies.
// The last paragraph ends without \par, for the control takes a final \par
// as its own end of text and drops it.
std::string ToRtf(const RichTextDocument& document, std::size_t count, const ResolveColor& resolve);

}  // namespace kolvex
