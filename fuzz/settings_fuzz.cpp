// baza.set in any bytes: no crash, no hang; the text is always UTF-8, and
// every component taken has a name and a known mode.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/TextDecode.h"
#include "launcher/Settings.h"
#include "launcher/Update.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto ascii = [](std::string_view bytes) {  // a code page with one character for every byte
    std::string text(bytes);
    for (char& c : text) c = (c & 0x80) ? '?' : c;
    return text;
  };
  const std::string text = kolvex::DecodeText(std::string_view(reinterpret_cast<const char*>(data), size), ascii);
  const kolvex::Settings settings = kolvex::ParseSettings(text, "C:\\P");
  for (const kolvex::Component& c : settings.components.components) {
    const bool knownMode = c.compareMode == kolvex::kCompareByVersion || c.compareMode == kolvex::kCompareByDate;
    if (c.name.empty() || !knownMode) std::abort();
  }
  const std::string message = kolvex::RefusedEntriesMessage(settings.components.refused);
  if (!kolvex::IsValidUtf8(text) || !kolvex::IsValidUtf8(message)) std::abort();
  return 0;
}
