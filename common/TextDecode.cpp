#include "common/TextDecode.h"

#include "common/Unicode.h"

namespace kolvex {

namespace {

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

unsigned char Byte(std::string_view s, size_t i) { return static_cast<unsigned char>(s[i]); }

// Length of the well-formed UTF-8 sequence that s begins with, 0 when it begins with none.
size_t Utf8SequenceLength(std::string_view s) {
  const unsigned char lead = Byte(s, 0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80;   // the second byte's range, narrowed where the
  unsigned char high = 0xBF;  // lead alone would allow overlong forms or surrogates
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (s.size() < length || Byte(s, 1) < low || Byte(s, 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (Byte(s, i) < 0x80 || Byte(s, i) > 0xBF) return 0;
  }
  return length;
}

// Well-formed sequences copied, every byte outside one replaced.
std::string RepairUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    const size_t n = Utf8SequenceLength(bytes);
    if (n == 0) {
      AppendUtf8(out, kReplacementCharacter);
      bytes.remove_prefix(1);
    } else {
      out.append(bytes.substr(0, n));
      bytes.remove_prefix(n);
    }
  }
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  while (!bytes.empty()) {
    const size_t n = Utf8SequenceLength(bytes);
    if (n == 0) return false;
    bytes.remove_prefix(n);
  }
  return true;
}

std::string DecodeText(std::string_view bytes, AnsiDecoder fromAnsi) {
  if (bytes.starts_with(kUtf16LeMark)) {
    std::string text = Utf16LeToUtf8(bytes.substr(kUtf16LeMark.size()));
    if (bytes.size() % 2 != 0) AppendUtf8(text, kReplacementCharacter);  // half a unit at the end
    return text;
  }
  if (bytes.starts_with(kUtf8Mark)) return RepairUtf8(bytes.substr(kUtf8Mark.size()));
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return fromAnsi(bytes);
}

}  // namespace kolvex
