#include "files/FileVer.h"

#include "common/Integers.h"

namespace kolvex {

namespace {

// Longest string value the lookup accepts, as the query counts it.
constexpr uint32_t kLongestString = 1024;
// The key of the string table read when the block does not name exactly one translation.
constexpr std::string_view kDefaultTranslation = "040904E4";
// Offsets of the version words in the fixed record (VS_FIXEDFILEINFO).
constexpr size_t kFileVersionOffset = 8;
constexpr size_t kProductVersionOffset = 16;

uint32_t Byte(std::span<const std::byte> bytes, size_t i) { return std::to_integer<uint32_t>(bytes[i]); }

uint32_t ReadUint32(std::span<const std::byte> bytes, size_t offset) {
  return Byte(bytes, offset) | Byte(bytes, offset + 1) << 8 | Byte(bytes, offset + 2) << 16 |
         Byte(bytes, offset + 3) << 24;
}

// Most significant word, then least significant word, each as two 16-bit numbers.
std::string FixedVersion(const VersionQuery& block, size_t offset) {
  const VersionQuery::Answer record = block.Query("\\");
  // A record too short to hold the two words counts as absent.
  if (record.length == 0 || record.at.size() < offset + 8) return {};
  const uint32_t ms = ReadUint32(record.at, offset);
  const uint32_t ls = ReadUint32(record.at, offset + 4);
  std::string text;
  for (const uint32_t part : {ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF}) {
    if (!text.empty()) text += '.';
    text += FormatInteger(part);
  }
  return text;
}

// Language and code page of the only translation entry, each as four
// upper-case hexadecimal digits: bytes b1 b0 b3 b2 as they lie in the block.
std::string TranslationKey(const VersionQuery& block) {
  const VersionQuery::Answer table = block.Query("\\VarFileInfo\\Translation");
  if (table.length != 4 || table.at.size() < 4) return std::string(kDefaultTranslation);
  std::string key;
  for (const size_t at : {1, 0, 3, 2}) key += FormatInteger(Byte(table.at, at), 2, 16);
  return key;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The UTF-16 text up to its first NUL, or up to the block's end when no NUL
// comes first. A surrogate without its partner becomes U+FFFD.
std::string TextUpToNul(std::span<const std::byte> at) {
  std::string text;
  const size_t units = at.size() / 2;
  auto unit = [&](size_t i) -> char16_t { return static_cast<char16_t>(Byte(at, 2 * i) | Byte(at, 2 * i + 1) << 8); };
  for (size_t i = 0; i < units; ++i) {
    const char16_t c = unit(i);
    if (c == 0) break;
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    const bool low = c >= 0xDC00 && c <= 0xDFFF;
    if (high && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
      AppendUtf8(text, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else {
      AppendUtf8(text, high || low ? U'\uFFFD' : c);
    }
  }
  return text;
}

}  // namespace

std::string GetVersionInfoValue(const VersionQuery& block, const std::string& valueName) {
  if (valueName == "FileVersion") return FixedVersion(block, kFileVersionOffset);
  if (valueName == "ProductVersion") return FixedVersion(block, kProductVersionOffset);
  const VersionQuery::Answer value = block.Query("\\StringFileInfo\\" + TranslationKey(block) + "\\" + valueName);
  if (value.length == 0 || value.length > kLongestString) return {};
  return TextUpToNul(value.at);
}

}  // namespace kolvex
