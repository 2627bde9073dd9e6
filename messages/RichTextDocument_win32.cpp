#include "messages/RichTextDocument_win32.h"

#include <string>
#include <unordered_map>

#include "common/Integers.h"

namespace kolvex {

namespace {

const char* AlignmentWord(Alignment alignment) {
  switch (alignment) {
    case Alignment::Right: return "\\qr";
    case Alignment::Center: return "\\qc";
    case Alignment::Left: break;
  }
  return "\\ql";
}

struct StyleWords {
  FontStyle style;
  const char* on;
  const char* off;
};
constexpr StyleWords kStyleWords[] = {{FontStyle::Bold, "\\b", "\\b0"},
                                      {FontStyle::Italic, "\\i", "\\i0"},
                                      {FontStyle::Underline, "\\ul", "\\ulnone"},
                                      {FontStyle::StrikeOut, "\\strike", "\\strike0"}};

void AppendEscaped(std::string& rtf, std::wstring_view text) {
  for (const wchar_t c : text) {
    if (c == L'\\' || c == L'{' || c == L'}') {
      rtf += '\\';
      rtf += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x80) {
      rtf += static_cast<char>(c);
    } else {
      // \uN takes a signed 16-bit number; "?" is what readers without Unicode show.
      rtf += "\\u";
      rtf += FormatInteger(static_cast<short>(c));
      rtf += '?';
    }
  }
}

}  // namespace

void RichTextDocument::Append(std::wstring_view text, const TextRunFormat& format) {
  if (text.empty()) return;
  FormattedParagraph& p = paragraphs_.back();
  p.text += text;
  if (!p.runs.empty() && p.runs.back().format == format) {
    p.runs.back().end = p.text.size();
  } else {
    p.runs.push_back({p.text.size(), format});
  }
}

std::string ToRtf(const RichTextDocument& document, std::size_t count, const ResolveColor& resolve) {
  std::unordered_map<COLORREF, int> colorIndex;  // 0 is the automatic colour
  std::string table = "{\\colortbl;";
  std::string body;
  // What the reader has been told so far.
  std::optional<FontStyles> currentStyle;
  int currentColor = -1;
  const auto& paragraphs = document.Paragraphs();
  for (std::size_t i = 0; i < count && i < paragraphs.size(); ++i) {
    const FormattedParagraph& p = paragraphs[i];
    if (i > 0) body += "\\par";
    body += "\\pard";
    body += AlignmentWord(p.align);
    std::size_t begin = 0;
    for (const FormattedParagraph::Run& run : p.runs) {
      const FontStyles s = run.format.style;
      for (const StyleWords& w : kStyleWords) {
        if (!currentStyle || currentStyle->Has(w.style) != s.Has(w.style)) body += s.Has(w.style) ? w.on : w.off;
      }
      int color = 0;
      if (const std::optional<COLORREF> rgb = resolve(run.format.color)) {
        const auto [at, added] = colorIndex.try_emplace(*rgb, static_cast<int>(colorIndex.size()) + 1);
        if (added) {
          for (const auto& [word, level] :
               {std::pair{"\\red", GetRValue(*rgb)}, {"\\green", GetGValue(*rgb)}, {"\\blue", GetBValue(*rgb)}}) {
            table += word;
            table += FormatInteger(level);
          }
          table += ';';
        }
        color = at->second;
      }
      if (color != currentColor) {
        body += "\\cf";
        body += FormatInteger(color);
      }
      currentColor = color;
      currentStyle = s;
      body += ' ';  // ends the last control word
      AppendEscaped(body, std::wstring_view(p.text).substr(begin, run.end - begin));
      begin = run.end;
    }
  }
  return "{\\rtf1\\ansi\\uc1" + table + "}" + body + "}";
}

}  // namespace kolvex
