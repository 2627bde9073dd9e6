#include "files/FileVer.h"

#include "common/Integers.h"
#include "common/LittleEndian.h"
#include "common/Unicode.h"

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

// Most significant word, then least significant word, each as two 16-bit numbers.
std::string FixedVersion(const VersionQuery& block, size_t offset) {
  const VersionQuery::Answer record = block.Query("\\");
  // A record too short to hold the two words counts as absent.
  if (record.length == 0 || record.at.size() < offset + 8) return {};
  const uint32_t ms = ReadLittleEndian(record.at, offset, 4);
  const uint32_t ls = ReadLittleEndian(record.at, offset + 4, 4);
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

// The UTF-16 text up to its first NUL, or up to the block's end when no NUL
// comes first. A surrogate without its partner becomes U+FFFD.
std::string TextUpToNul(std::span<const std::byte> at) {
  size_t end = 0;
  while (end + 1 < at.size() && ReadLittleEndian(at, end, 2) != 0) end += 2;
  return Utf16LeToUtf8({reinterpret_cast<const char*>(at.data()), end});
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
