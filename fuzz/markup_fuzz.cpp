// The markup reader on any bytes, into the box in memory. Checked beyond
// "no crash, no hang, no undefined behaviour":
//
// 1. Nothing is lost or invented. Let T be the input after the line breaks
//    are converted (every "^" and CR becomes <A:LEFT>, every LF goes) and B
//    what is left of T once the header tags are read. Then B is exactly the
//    text written to the box and the tags taken as tags, put back in the
//    order they came; and the written text holds no CR, LF or "^".
// 2. The linear reader does to the box exactly what the reading rules do when
//    followed to the letter, cutting each piece off the front of the text
//    (below, for inputs up to 16 KB; pieces written one after the other
//    count as one piece).
// 3. The box ends up with word wrap on and its height at one line height
//    more than its lines.
// 4. The integer syntax agrees with a reading through the C library.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "messages/Markup.h"
#include "messages/MarkupSizing.h"
#include "tests/messages/MarkupFakeBox.h"

namespace {

using kolvex::test::FakeBox;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "markup_fuzz: %s\n", what);
    std::abort();
  }
}

// Steps 7 and 8 as written: each piece is cut off the front of a string.
// Returns the text with the pieces written and the tags taken put back.
std::string RenderBodyLiterally(FakeBox& box, std::string text, kolvex::TextState& state) {
  std::string rebuilt;
  auto write = [&](const std::string& piece) {
    if (piece.empty()) return;
    box.InsertText(piece);
    rebuilt += piece;
  };
  for (;;) {
    size_t open = text.find('<');
    if (open == std::string::npos) break;
    write(text.substr(0, open));
    text.erase(0, open);
    size_t close;
    for (;;) {
      close = text.find('>');
      if (close == std::string::npos) break;
      const size_t other = text.find('<', 1);
      if (other == std::string::npos || other > close) break;
      write(text.substr(0, other));
      text.erase(0, other);
    }
    if (close == std::string::npos) break;
    const std::string content = text.substr(1, close - 1);
    if (kolvex::ApplyTag(box, content, state)) {
      rebuilt += "<" + content + ">";
    } else {
      write("<" + content + ">");
    }
    text.erase(0, close + 1);
  }
  write(text);
  return rebuilt;
}

// Adjacent insertions joined: how the text was cut into pieces is no result.
std::vector<std::string> JoinedLog(const std::vector<std::string>& log) {
  std::vector<std::string> out;
  for (const std::string& entry : log) {
    if (entry.starts_with("Text ") && !out.empty() && out.back().starts_with("Text ")) {
      out.back() += entry.substr(5);
    } else {
      out.push_back(entry);
    }
  }
  return out;
}

std::string WrittenText(const std::vector<std::string>& log) {
  std::string out;
  for (const std::string& entry : log) {
    if (entry.starts_with("Text ")) out += entry.substr(5);
  }
  return out;
}

std::optional<std::int32_t> IntegerThroughLibc(std::string_view text) {
  const size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return std::nullopt;
  std::string rest(text.substr(start));
  int prefix = 0;
  if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X') prefix = 1;
  if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) prefix = 2;
  const std::string digits = rest.substr(prefix);
  const char* allowed = prefix ? "0123456789abcdefABCDEF" : "0123456789";
  const size_t signs = !prefix && (digits[0] == '+' || digits[0] == '-') ? 1 : 0;
  if (digits.size() <= signs || digits.find_first_not_of(allowed, signs) != std::string::npos) return std::nullopt;
  errno = 0;
  if (prefix) {
    const unsigned long long v = std::strtoull(digits.c_str(), nullptr, 16);
    if (errno == ERANGE || v > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  }
  const long long v = std::strtoll(digits.c_str(), nullptr, 10);
  if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const int buttons = size > 0 ? 1 + data[0] % 5 : 1;

  FakeBox box;
  kolvex::RenderMarkup(box, input, buttons);

  // 1: everything accounted for. The literal reading gives the tags taken.
  const std::string converted = kolvex::ConvertLineBreaks(input);
  std::string fontName;
  int fontSize = 0;
  const std::string_view body = kolvex::ReadHeaderTags(converted, fontName, fontSize);
  Check(converted.ends_with(body), "the header tags are not a prefix");
  const std::string written = WrittenText(box.log);
  Check(written.find_first_of("\r\n^") == std::string::npos, "a line break written as text");

  FakeBox literal;
  literal.Clear();
  kolvex::TextState state{literal.InsertionStyle(), literal.InsertionColor()};
  literal.SetFont(fontName, fontSize);
  literal.SetWordWrap(false);
  const std::string rebuilt = RenderBodyLiterally(literal, std::string(body), state);
  Check(rebuilt == body, "written text and tags do not make up the body");
  Check(WrittenText(literal.log) == written, "the linear reader wrote another text");

  // 2: the same orders to the box, in the same order.
  if (size <= 16384) {
    kolvex::SizeBoxToText(literal, buttons);
    Check(JoinedLog(literal.log) == JoinedLog(box.log), "the linear reader told the box something else");
    Check(literal.Paragraphs() == box.Paragraphs(), "the boxes hold different text");
  }

  // 3: sized.
  Check(box.wordWrap, "word wrap left off");
  const int lineHeight = static_cast<int>(std::min<std::int64_t>(std::int64_t{box.fontSize} + 5, INT32_MAX));
  Check(box.boxHeight == kolvex::BoxHeight(lineHeight, box.LineCount()), "the height is not lines + 1");

  // 4: integers.
  Check(kolvex::IntegerFromText(input) == IntegerThroughLibc(input), "integer syntax disagrees with strtoll");
  return 0;
}
