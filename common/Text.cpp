#include "common/Text.h"

#include <algorithm>

namespace kolvex {

char GetCharAt(std::string_view text, int position) {
  if (position < 1 || static_cast<size_t>(position) > text.size()) return '\0';
  return text[static_cast<size_t>(position) - 1];
}

std::string ExtractNthField(std::string_view text, int n, char delimiter) {
  if (n < 0) return {};
  if (n == 0) n = 1;
  // Field n begins after the (n-1)-th delimiter; it must begin on a character.
  size_t begin = 0;
  for (int seen = 0; seen < n - 1; ++seen) {
    const size_t at = text.find(delimiter, begin);
    if (at == std::string_view::npos) return {};
    begin = at + 1;
  }
  if (begin >= text.size()) return {};
  const size_t end = text.find(delimiter, begin);
  return std::string(text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
}

std::string_view Trim(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool SameTextIgnoringAsciiCase(std::string_view a, std::string_view b) {
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  return std::ranges::equal(a, b, [&](char x, char y) { return upper(x) == upper(y); });
}

}  // namespace kolvex
