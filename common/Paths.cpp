#include "common/Paths.h"

namespace kolvex {

namespace {

constexpr std::string_view kPathDelimiters = "\\:";

// The capital the file system takes a letter for. Latin Extended-A pairs
// each capital with the small letter after it, except in two runs where
// the capital comes second.
char32_t FileNameCapital(char32_t c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17E && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x178) {
    const bool capitalIsOdd = (c >= 0x139 && c <= 0x148) || c >= 0x179;
    return (c % 2 == 1) != capitalIsOdd ? c - 1 : c;
  }
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if ((c >= 0x3B1 && c <= 0x3CB) || (c >= 0x430 && c <= 0x44F)) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

// The character at i of a UTF-8 name, folded for the comparison, and i moved
// past it. Every letter folded is one or two bytes long; the bytes of other
// characters are taken one by one, apart from every character, which
// compares them exactly.
char32_t NextFolded(std::string_view name, size_t& i) {
  const auto byte = [&](size_t at) { return static_cast<unsigned char>(name[at]); };
  const unsigned char lead = byte(i);
  if (lead >= 0xC2 && lead <= 0xDF && i + 1 < name.size() && (byte(i + 1) & 0xC0) == 0x80) {
    i += 2;
    return FileNameCapital(char32_t{lead & 0x1Fu} << 6 | (byte(i - 1) & 0x3Fu));
  }
  ++i;
  if (lead >= 0x80) return 0x110000 + lead;
  return lead == '/' ? '\\' : FileNameCapital(lead);
}

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

bool SameFileName(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (NextFolded(a, i) != NextFolded(b, j)) return false;
  }
  return i == a.size() && j == b.size();
}

}  // namespace kolvex
