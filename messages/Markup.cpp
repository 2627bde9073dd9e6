#include "messages/Markup.h"

#include <array>
#include <limits>

#include "common/Text.h"
#include "messages/MarkupSizing.h"

namespace kolvex {

namespace {

// Keywords ignore the case of a to z only: "ß" or "Ł" never match anything.
bool EqualsKeyword(std::string_view text, std::string_view upperKeyword) {
  return SameTextIgnoringAsciiCase(text, upperKeyword);
}

struct NamedColor {
  std::string_view name;
  ColorValue value;
};

// Looked up in this order; the first equal name wins.
constexpr std::array<NamedColor, 49> kNamedColors{{
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
    {"clBackground", static_cast<ColorValue>(0x80000001u)},
    {"clActiveCaption", static_cast<ColorValue>(0x80000002u)},
    {"clInactiveCaption", static_cast<ColorValue>(0x80000003u)},
    {"clMenu", static_cast<ColorValue>(0x80000004u)},
    {"clWindow", static_cast<ColorValue>(0x80000005u)},
    {"clWindowFrame", static_cast<ColorValue>(0x80000006u)},
    {"clMenuText", static_cast<ColorValue>(0x80000007u)},
    {"clWindowText", static_cast<ColorValue>(0x80000008u)},
    {"clCaptionText", static_cast<ColorValue>(0x80000009u)},
    {"clActiveBorder", static_cast<ColorValue>(0x8000000Au)},
    {"clInactiveBorder", static_cast<ColorValue>(0x8000000Bu)},
    {"clAppWorkSpace", static_cast<ColorValue>(0x8000000Cu)},
    {"clHighlight", static_cast<ColorValue>(0x8000000Du)},
    {"clHighlightText", static_cast<ColorValue>(0x8000000Eu)},
    {"clBtnFace", static_cast<ColorValue>(0x8000000Fu)},
    {"clBtnShadow", static_cast<ColorValue>(0x80000010u)},
    {"clGrayText", static_cast<ColorValue>(0x80000011u)},
    {"clBtnText", static_cast<ColorValue>(0x80000012u)},
    {"clInactiveCaptionText", static_cast<ColorValue>(0x80000013u)},
    {"clBtnHighlight", static_cast<ColorValue>(0x80000014u)},
    {"cl3DDkShadow", static_cast<ColorValue>(0x80000015u)},
    {"cl3DLight", static_cast<ColorValue>(0x80000016u)},
    {"clInfoText", static_cast<ColorValue>(0x80000017u)},
    {"clInfoBk", static_cast<ColorValue>(0x80000018u)},
    {"clGradientActiveCaption", static_cast<ColorValue>(0x8000001Bu)},
    {"clGradientInactiveCaption", static_cast<ColorValue>(0x8000001Cu)},
    {"clDefault", kDefaultColor},
}};

struct StyleTag {
  std::string_view name;
  FontStyle style;
  bool on;
};

constexpr std::array<StyleTag, 8> kStyleTags{{
    {"B", FontStyle::Bold, true},
    {"/B", FontStyle::Bold, false},
    {"I", FontStyle::Italic, true},
    {"/I", FontStyle::Italic, false},
    {"U", FontStyle::Underline, true},
    {"/U", FontStyle::Underline, false},
    {"S", FontStyle::StrikeOut, true},
    {"/S", FontStyle::StrikeOut, false},
}};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::int32_t> HexFromText(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(d);
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::optional<std::int32_t> DecimalFromText(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  const std::int64_t bound = negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
                                      : std::int64_t{std::numeric_limits<std::int32_t>::max()};
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > bound) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

void InsertIfAny(MarkupBox& box, std::string_view text) {
  if (!text.empty()) box.InsertText(text);
}

}  // namespace

std::optional<std::int32_t> IntegerFromText(std::string_view text) {
  const size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return std::nullopt;
  text.remove_prefix(start);
  if (text[0] == '$' || text[0] == 'x' || text[0] == 'X') return HexFromText(text.substr(1));
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return HexFromText(text.substr(2));
  return DecimalFromText(text);
}

ColorValue ColorFromText(std::string_view value) {
  value = Trim(value);
  if (const auto number = IntegerFromText(value)) return *number;
  for (const NamedColor& named : kNamedColors) {
    if (EqualsKeyword(value, named.name)) return named.value;
  }
  return kDefaultColor;
}

Alignment AlignmentFromText(std::string_view value) {
  value = Trim(value);
  if (EqualsKeyword(value, "RIGHT")) return Alignment::Right;
  if (EqualsKeyword(value, "CENTER")) return Alignment::Center;
  return Alignment::Left;
}

std::string ConvertLineBreaks(std::string_view text) {
  constexpr std::string_view kBreak = "<A:LEFT>";
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '^' || c == '\r') {
      out += kBreak;
    } else if (c != '\n') {
      out += c;
    }
  }
  return out;
}

std::string_view ReadHeaderTags(std::string_view text, std::string& fontName, int& fontSize) {
  fontName = kDefaultFontName;
  fontSize = kDefaultFontSize;
  for (int taken = 0; taken < 2 && !text.empty() && text[0] == '<'; ++taken) {
    const size_t close = text.find('>');
    if (close == std::string_view::npos) break;
    const std::string_view tag = text.substr(1, close - 1);
    const size_t colon = tag.find(':');
    if (colon == std::string_view::npos) break;
    const std::string_view key = tag.substr(0, colon);
    const std::string_view value = tag.substr(colon + 1);
    if (EqualsKeyword(key, "FONT") || EqualsKeyword(key, "F")) {
      fontName = value;
    } else if (EqualsKeyword(key, "SIZE") || EqualsKeyword(key, "S")) {
      if (const auto size = IntegerFromText(value)) fontSize = *size;
    } else {
      break;
    }
    text.remove_prefix(close + 1);
  }
  return text;
}

bool ApplyTag(MarkupBox& box, std::string_view content, TextState& state) {
  content = Trim(content);
  const size_t colon = content.find(':');
  if (colon == std::string_view::npos) {
    bool known = false;
    for (const StyleTag& tag : kStyleTags) {
      if (EqualsKeyword(content, tag.name)) {
        const FontStyles now = box.InsertionStyle();
        box.SetInsertionStyle(tag.on ? now.With(tag.style) : now.Without(tag.style));
        known = true;
        break;
      }
    }
    state.Style = box.InsertionStyle();
    return known;
  }
  const std::string_view key = content.substr(0, colon);
  const std::string_view value = content.substr(colon + 1);
  if (EqualsKeyword(key, "COLOR") || EqualsKeyword(key, "C")) {
    box.SetInsertionColor(ColorFromText(value));
    state.Color = box.InsertionColor();
    return true;
  }
  if (EqualsKeyword(key, "ALIGN") || EqualsKeyword(key, "A")) {
    // The new paragraph would otherwise start in the box's own formatting.
    box.InsertParagraphBreak();
    box.SetInsertionStyle(state.Style);
    box.SetInsertionColor(state.Color);
    box.SetParagraphAlignment(AlignmentFromText(value));
    return true;
  }
  return false;
}

int RenderMarkup(MarkupBox& box, std::string_view text, int buttonCount) {
  box.Clear();
  const std::string converted = ConvertLineBreaks(text);
  TextState state{box.InsertionStyle(), box.InsertionColor()};
  std::string fontName;
  int fontSize = 0;
  const std::string_view body = ReadHeaderTags(converted, fontName, fontSize);
  box.SetFont(fontName, fontSize);
  box.SetWordWrap(false);

  // Reading goes left to right once: every search starts where the last ended.
  size_t pos = 0;
  for (;;) {
    const size_t open = body.find('<', pos);
    if (open == std::string_view::npos) break;
    InsertIfAny(box, body.substr(pos, open - pos));
    pos = open;
    const size_t close = body.find('>', open + 1);
    if (close == std::string_view::npos) break;
    // A further "<" before the ">" makes everything up to the last of them text.
    const size_t lastOpen = body.rfind('<', close);
    InsertIfAny(box, body.substr(pos, lastOpen - pos));
    pos = lastOpen;
    const std::string_view content = body.substr(pos + 1, close - pos - 1);
    if (!ApplyTag(box, content, state)) box.InsertText(body.substr(pos, close - pos + 1));
    pos = close + 1;
  }
  InsertIfAny(box, body.substr(pos));

  return SizeBoxToText(box, buttonCount);
}

}  // namespace kolvex
