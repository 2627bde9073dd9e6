// baza.set in any bytes: no crash, no hang; the text is always UTF-8, and
// every component taken has a name and a known mode, every signer a
// thumbprint. The decoder and the share's time-box are judged by references
// written apart from them: UTF-8 read by the bit rules alone, SHARED_TIMEOUT
// by the value of its digits.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "common/TextDecode.h"
#include "update/Settings.h"
#include "update/SettingsIni.h"
#include "update/ShareProbe.h"
#include "update/Update.h"

namespace {

// The length of the UTF-8 character s begins with, 0 when it begins with none:
// the lead's high bits give the length, every further byte is 10xxxxxx, and the
// value they spell is judged alone (shortest form, no surrogate, at most U+10FFFF).
size_t ReferenceCharacterLength(std::string_view s) {
  const unsigned lead = static_cast<unsigned char>(s[0]);
  const size_t length = lead >> 7 == 0       ? 1
                        : lead >> 5 == 0b110   ? 2
                        : lead >> 4 == 0b1110  ? 3
                        : lead >> 3 == 0b11110 ? 4
                                               : 0;
  if (length == 0 || s.size() < length) return 0;
  char32_t value = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    const unsigned next = static_cast<unsigned char>(s[i]);
    if (next >> 6 != 0b10) return 0;
    value = value << 6 | (next & 0x3F);
  }
  const char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};  // the least value each length may spell
  if (value < shortest[length] || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return 0;
  return length;
}

// s with each byte that begins no character replaced by U+FFFD, as a file with the UTF-8 mark is read.
std::string ReferenceRepair(std::string_view s) {
  std::string out;
  while (!s.empty()) {
    const size_t n = ReferenceCharacterLength(s);
    out += n == 0 ? std::string_view("\xEF\xBF\xBD") : s.substr(0, n);
    s.remove_prefix(n == 0 ? 1 : n);
  }
  return out;
}

bool ReferenceValid(std::string_view s) {
  for (size_t n = 0; !s.empty(); s.remove_prefix(n)) {
    if ((n = ReferenceCharacterLength(s)) == 0) return false;
  }
  return true;
}

// The time-box SHARED_TIMEOUT's value gives: a whole number of seconds from 0
// to 3600 (blanks around it and leading zeros allowed) times 1000, otherwise
// the default. The value is taken by its significant digits, never wrapped.
uint32_t ReferenceTimeBoxMs(std::string_view value) {
  while (!value.empty() && static_cast<unsigned char>(value.front()) <= ' ') value.remove_prefix(1);
  while (!value.empty() && static_cast<unsigned char>(value.back()) <= ' ') value.remove_suffix(1);
  if (value.empty() || value.find_first_not_of("0123456789") != std::string_view::npos) return kolvex::kShareTimeBoxMs;
  const std::string_view significant = value.substr(std::min(value.find_first_not_of('0'), value.size()));
  if (significant.size() > 4) return kolvex::kShareTimeBoxMs;
  const unsigned long seconds = significant.empty() ? 0 : std::stoul(std::string(significant));
  return seconds <= 3600 ? static_cast<uint32_t>(seconds * 1000) : kolvex::kShareTimeBoxMs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto ascii = [](std::string_view bytes) {  // a code page with one character for every byte
    std::string text(bytes);
    for (char& c : text) c = (c & 0x80) ? '?' : c;
    return text;
  };
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = kolvex::DecodeText(bytes, ascii);
  const bool valid = ReferenceValid(bytes);
  if (kolvex::IsValidUtf8(bytes) != valid || !ReferenceValid(text)) std::abort();
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    if (text != ReferenceRepair(bytes.substr(3))) std::abort();
  } else if (!bytes.starts_with("\xFF\xFE") && (text == bytes) != valid) {
    std::abort();  // valid UTF-8 is taken as it is, anything else goes through the code page
  }

  const kolvex::Settings settings = kolvex::ParseSettings(text, "C:\\P");
  const std::optional<std::string> timeout = kolvex::IniText(text).Value("MAIN", "SHARED_TIMEOUT");
  if (settings.shareTimeBoxMs != ReferenceTimeBoxMs(timeout.value_or(""))) std::abort();
  for (const kolvex::Component& c : settings.components.components) {
    const bool knownMode = c.compareMode == kolvex::kCompareByVersion || c.compareMode == kolvex::kCompareByDate;
    if (c.name.empty() || !knownMode) std::abort();
  }
  for (const std::string& thumbprint : settings.signers.thumbprints)
    if (thumbprint.size() != 40 || thumbprint.find_first_not_of("0123456789ABCDEF") != std::string::npos) std::abort();
  const std::string message = kolvex::RefusedEntriesMessage(settings.components.refused);
  if (!ReferenceValid(message)) std::abort();
  return 0;
}
