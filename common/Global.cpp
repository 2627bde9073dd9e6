#include "common/Global.h"

#include <algorithm>

namespace kolvex {

namespace {

constexpr std::string_view kPathDelimiters = "\\:";

}  // namespace

std::string JoinPath(std::string_view dir, std::string_view name) {
  if (dir.empty()) return std::string(name);
  const char separator = dir.front() == '/' ? '/' : '\\';
  std::string result(dir);
  if (result.back() != separator) result += separator;
  result += name;
  return result;
}

std::string ExtractFileDir(std::string_view path) {
  const size_t last = path.find_last_of(kPathDelimiters);
  if (last == std::string_view::npos) return {};
  size_t end = last + 1;  // keeps the delimiter for now
  // Drop a trailing "\" unless it follows another delimiter (a root: C:\).
  if (last > 0 && path[last] == '\\' && kPathDelimiters.find(path[last - 1]) == std::string_view::npos) end = last;
  return std::string(path.substr(0, end));
}

std::string ExtractFileName(std::string_view path) {
  const size_t last = path.find_last_of(kPathDelimiters);
  return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  const size_t dot = path.find_last_of(".\\:");
  const size_t stem = (dot != std::string_view::npos && path[dot] == '.') ? dot : path.size();
  std::string result(path.substr(0, stem));
  result += ext;
  return result;
}

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

std::string FormatInteger(int64_t value, size_t minDigits, unsigned base) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string text;  // least significant digit first
  do {
    text += "0123456789ABCDEF"[magnitude % base];
    magnitude /= base;
  } while (magnitude != 0 || text.size() < minDigits);
  if (value < 0) text += '-';
  return {text.rbegin(), text.rend()};
}

}  // namespace kolvex
